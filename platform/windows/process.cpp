// process.cpp: process services on Windows (module path, working directory, sleep,
// time, arithmetic faults, thread names and identity, the console). Holds the id of the main
// thread, written once at start-up before any other thread exists, the fault handler, set once
// on the game thread, and the thread-naming calls, looked up once by the first thread that names.
#include "platform/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <io.h>

#include "platform/windows/wide.h"

static DWORD mainThread;

// The threads sleep and wait in steps of a millisecond, not of the system's 15.6 ms tick.
void Sys_InitThreads() { timeBeginPeriod(1); }

// There is no display connection that could go away under the program.
void Sys_EndWhenDisplayLost(void (*)()) {}

// The system heap gives large blocks back to the system by itself.
void Sys_InitMemory() {}

// The window system's own driver, whatever the library would try first.
void Sys_PreferWindowSystemVideo() {
  const char* named = std::getenv("SDL_VIDEODRIVER");
  if (named == nullptr || *named == '\0') _putenv("SDL_VIDEODRIVER=windib");
}

std::string Sys_ExecutablePath() {
  static wchar_t buffer[32768];
  DWORD n = GetModuleFileNameW(nullptr, buffer, sizeof buffer / sizeof *buffer);
  if (n == 0 || n >= sizeof buffer / sizeof *buffer) return "";
  std::string path = Win_Utf8(buffer);
  return path.size() <= 65535 ? path : "";
}

bool Sys_ChangeDirectory(const std::string& path) {
  return !path.empty() && SetCurrentDirectoryW(Win_WidePath(path).c_str()) != 0;
}

void Sys_Sleep(uint32_t ms) {
  if (ms == 0) {
    SwitchToThread();
    return;
  }
  Sleep(ms);
}

// A FILETIME counts 100 ns steps from 1601; the calendar's seconds count from 1970.
static const int64_t fileTimeAt1970 = 116444736000000000LL;

bool Sys_CalendarTime(int64_t* seconds, uint32_t* ms) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  int64_t steps = int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - fileTimeAt1970;
  if (steps < 0) return false;
  *seconds = steps / 10000000;
  *ms = uint32_t(steps % 10000000 / 10000);
  return true;
}

bool Sys_LocalTime(int64_t seconds, int fields[6]) {
  if (seconds < 0 || seconds > (INT64_MAX - fileTimeAt1970) / 10000000) return false;
  uint64_t steps = uint64_t(seconds * 10000000 + fileTimeAt1970);
  FILETIME when{DWORD(steps), DWORD(steps >> 32)};
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&when, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
  const int values[6] = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  for (int i = 0; i < 6; i++) fields[i] = values[i];
  return true;
}

// An integer division by zero is a processor exception here, not a signal: a vectored handler
// sees it first on whatever thread it happens, before any frame's own handler.
static void (*faultHandler)();

static LONG CALLBACK onException(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_INT_DIVIDE_BY_ZERO && faultHandler != nullptr)
    faultHandler();
  return EXCEPTION_CONTINUE_SEARCH;
}

void Sys_OnArithmeticFault(void (*handler)()) {
  bool first = faultHandler == nullptr;
  faultHandler = handler;
  if (first) AddVectoredExceptionHandler(1, onException);
}

// Thread names came with Windows 10 (1607): looked up by name, and kept on the thread itself
// where the system has none.
using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
static thread_local std::string ownName;

template <typename Call>
static Call kernelCall(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel == nullptr ? nullptr : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

void Sys_NameThread(const char* name) {
  ownName = std::string(name).substr(0, 15);
  static const SetDescription set = kernelCall<SetDescription>("SetThreadDescription");
  if (set != nullptr) set(GetCurrentThread(), Win_Wide(ownName).c_str());
}

std::string Sys_ThreadName() {
  static const GetDescription get = kernelCall<GetDescription>("GetThreadDescription");
  wchar_t* name = nullptr;
  if (get == nullptr || FAILED(get(GetCurrentThread(), &name)) || name == nullptr) return ownName;
  std::string utf8 = Win_Utf8(name);
  LocalFree(name);
  return utf8;
}

void Sys_MarkMainThread() { mainThread = GetCurrentThreadId(); }

bool Sys_IsMainThread() { return GetCurrentThreadId() == mainThread; }

// A windowed program gets no console of its own. Started from one, it writes there; started
// with its output led into a file or a pipe, it keeps that.
static bool leadsSomewhere(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void Sys_UseParentConsole() {
  bool out = leadsSomewhere(STD_OUTPUT_HANDLE), err = leadsSomewhere(STD_ERROR_HANDLE);
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out && std::freopen("CONOUT$", "w", stdout) != nullptr) std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (!err && std::freopen("CONOUT$", "w", stderr) != nullptr) std::setvbuf(stderr, nullptr, _IONBF, 0);
}
