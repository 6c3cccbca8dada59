// process.cpp: process services on Linux (module path, working directory, sleep, time,
// memory, arithmetic-fault signal, thread identity). Holds the id of the main thread, written
// once at start-up before any other thread exists.
#include "platform/platform.h"


#include <csignal>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

static pthread_t mainThread;

// A program started from a terminal writes there already.
void Sys_UseParentConsole() {}

// A fixed threshold: left to itself the allocator raises it to the size of the first large
// block freed, and the buffers of every later load then stay resident in the heap.
void Sys_InitMemory() { mallopt(M_MMAP_THRESHOLD, 128 * 1024); }

std::string Sys_ExecutablePath() {
  static char buffer[65536];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

bool Sys_ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

void Sys_Sleep(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

bool Sys_CalendarTime(int64_t* seconds, uint32_t* ms) {
  timespec now;
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  *seconds = now.tv_sec;
  *ms = static_cast<uint32_t>(now.tv_nsec / 1000000);
  return true;
}

bool Sys_LocalTime(int64_t seconds, int fields[6]) {
  time_t when = time_t(seconds);
  struct tm local;
  if (localtime_r(&when, &local) == nullptr) return false;
  const int values[6] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  for (int i = 0; i < 6; i++) fields[i] = values[i];
  return true;
}

static void (*faultHandler)();

static void onSigfpe(int) { faultHandler(); }

void Sys_OnArithmeticFault(void (*handler)()) {
  faultHandler = handler;
  struct sigaction action {};
  action.sa_handler = onSigfpe;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

void Sys_MarkMainThread() { mainThread = pthread_self(); }

bool Sys_IsMainThread() { return pthread_equal(mainThread, pthread_self()) != 0; }
