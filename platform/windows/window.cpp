// window.cpp: the program's window placed, dressed and laid over its monitor, and the
// pointer found over it, on Windows.
//
// Owns the native window once it is learnt (after the first mode set, on the main thread),
// published through handleState after the handle is written; it never changes afterwards. Owns
// the frame place last asked for by the game and the place the window had before it covered
// the monitor, so that the presentation can put the window back when it makes the surface
// again. Owns the icons made from the game's pixels (the main thread sets them; before the
// window is known the pixels wait for it).
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/windows/program_window.h"

static std::atomic<int> handleState{SYS_WINDOW_NOT_YET};
static std::atomic<HWND> programWindow{nullptr};

static std::atomic<bool> placeRemembered{false};
static std::atomic<int64_t> rememberedPlace{0};  // x in the high half, y in the low half
static bool placeBeforeCovering;                 // main thread
static int32_t beforeCoveringX, beforeCoveringY;

static std::atomic<uint32_t> iconPixels[1024];
static std::atomic<bool> iconGiven{false};
static HICON bigIcon, smallIcon;  // main thread

HWND Win_ProgramWindow() { return handleState.load(std::memory_order_acquire) == SYS_WINDOW_KNOWN ? programWindow.load() : nullptr; }

static void giveIcon(HWND window);

void Sys_WindowFetchHandle() {
  if (handleState.load() != SYS_WINDOW_NOT_YET) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.window == nullptr) {
    handleState = SYS_WINDOW_NONE;
    return;
  }
  programWindow = info.window;
  giveIcon(info.window);
  handleState.store(SYS_WINDOW_KNOWN, std::memory_order_release);
}

SysWindowHandle Sys_WindowHandleState() { return static_cast<SysWindowHandle>(handleState.load(std::memory_order_acquire)); }

bool Sys_WindowFrameRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  RECT frame;
  HWND window = Win_ProgramWindow();
  if (window == nullptr || !GetWindowRect(window, &frame)) return false;
  *x = frame.left, *y = frame.top;
  *width = frame.right - frame.left, *height = frame.bottom - frame.top;
  return true;
}

bool Sys_WindowClientSize(int32_t* width, int32_t* height) {
  RECT client;
  HWND window = Win_ProgramWindow();
  if (window == nullptr || !GetClientRect(window, &client)) return false;
  *width = client.right, *height = client.bottom;
  return true;
}

SysPointerPlace Sys_PointerPosition(int32_t* x, int32_t* y) {
  HWND window = Win_ProgramWindow();
  POINT at;
  RECT client;
  if (window == nullptr) return SYS_POINTER_UNKNOWN;
  if (!GetCursorPos(&at) || !ScreenToClient(window, &at) || !GetClientRect(window, &client)) return SYS_POINTER_OUTSIDE;
  *x = at.x, *y = at.y;
  bool inside = at.x >= 0 && at.y >= 0 && at.x < client.right && at.y < client.bottom;
  return inside ? SYS_POINTER_INSIDE : SYS_POINTER_OUTSIDE;
}

bool Sys_DesktopSize(int32_t* width, int32_t* height) {
  RECT desktop;
  if (Win_ProgramWindow() == nullptr || !GetWindowRect(GetDesktopWindow(), &desktop)) return false;
  *width = desktop.right - desktop.left, *height = desktop.bottom - desktop.top;
  return true;
}

// The monitor the window stands on; before there is a window, the one it opens on.
static HMONITOR windowMonitor() {
  HWND window = Win_ProgramWindow();
  if (window != nullptr) return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

static bool monitorRects(RECT* whole, RECT* work) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(windowMonitor(), &info)) return false;
  *whole = info.rcMonitor, *work = info.rcWork;
  return true;
}

bool Sys_WorkAreaSize(int32_t* width, int32_t* height) {
  RECT whole, work;
  if (!monitorRects(&whole, &work)) return false;
  *width = work.right - work.left, *height = work.bottom - work.top;
  return true;
}

// The monitor's DPI as a program that declared itself aware of each monitor's scale sees it:
// the window's own (Windows 10), else the monitor's (Windows 8.1), else the desktop's.
using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Call>
static Call systemCall(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return module == nullptr ? nullptr : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

static UINT monitorDpi() {
  static const DpiForWindow forWindow = systemCall<DpiForWindow>(L"user32.dll", "GetDpiForWindow");
  static const DpiForMonitor forMonitor = systemCall<DpiForMonitor>(L"shcore.dll", "GetDpiForMonitor");
  HWND window = Win_ProgramWindow();
  if (window != nullptr && forWindow != nullptr) {
    if (UINT dpi = forWindow(window); dpi != 0) return dpi;
  }
  UINT x = 0, y = 0;
  if (forMonitor != nullptr && SUCCEEDED(forMonitor(windowMonitor(), 0 /* effective DPI */, &x, &y)) && y != 0) return y;
  HDC screen = GetDC(nullptr);
  int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return UINT(dpi > 0 ? dpi : 96);
}

// 96 is 1x and 192 is 2x; a scale between two whole ones keeps the smaller.
int32_t Sys_DesktopScale() {
  UINT dpi = monitorDpi();
  return dpi >= 192 ? int32_t(std::min(dpi / 96, 16u)) : 1;
}

// A move asked of another thread's window is posted to it (it may be busy or ending, and this
// thread must not wait on it); the frame is looked at for up to about 300 ms.
static void moveFrame(int32_t x, int32_t y) {
  HWND window = Win_ProgramWindow();
  if (window == nullptr) return;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  for (int look = 0; look < 30; look++) {
    int32_t atX, atY, w, h;
    if (!Sys_WindowFrameRect(&atX, &atY, &w, &h) || (atX == x && atY == y)) return;
    Sys_Sleep(10);
  }
}

void Sys_WindowPlaceFrame(int32_t x, int32_t y) {
  rememberedPlace = int64_t(uint64_t(uint32_t(x)) << 32 | uint32_t(y));
  placeRemembered = true;
  moveFrame(x, y);
}

void Sys_WindowKeepPlace() {
  int32_t x, y, atX, atY, w, h;
  if (placeRemembered.load()) {
    uint64_t place = uint64_t(rememberedPlace.load());
    x = int32_t(uint32_t(place >> 32)), y = int32_t(uint32_t(place));
  } else if (placeBeforeCovering) {
    x = beforeCoveringX, y = beforeCoveringY;
  } else {
    return;
  }
  placeBeforeCovering = false;
  if (Sys_WindowFrameRect(&atX, &atY, &w, &h) && (atX != x || atY != y)) moveFrame(x, y);
}

void Sys_WindowRememberPlace() {
  HWND window = Win_ProgramWindow();
  RECT frame;
  if (window == nullptr || placeBeforeCovering || !GetWindowRect(window, &frame)) return;
  placeBeforeCovering = true;
  beforeCoveringX = frame.left, beforeCoveringY = frame.top;
}

// The system moves and sizes a window at once, with no manager between: nothing to hide while
// the library makes it small again, and the way back is the kept place.
void Sys_WindowWithdraw() {}
void Sys_WindowShowFrame(bool) {}
void Sys_WindowShowAtPlace() { Sys_WindowKeepPlace(); }

void Sys_WarpPointer(int32_t x, int32_t y) {
  HWND window = Win_ProgramWindow();
  POINT at{x, y};
  if (window != nullptr && ClientToScreen(window, &at)) SetCursorPos(at.x, at.y);
}

// ---- full screen as a window over the monitor ----------------------------------------------

// Only the library's window-system drivers make a window that can cover the monitor.
static bool drivesWindows() {
  char name[32];
  if (SDL_VideoDriverName(name, sizeof name) == nullptr) return false;
  return std::strcmp(name, "windib") == 0 || std::strcmp(name, "directx") == 0;
}

bool Sys_FullScreenAsWindow(int32_t* width, int32_t* height) {
  RECT whole, work;
  if (!drivesWindows() || !monitorRects(&whole, &work)) return false;
  *width = whole.right - whole.left, *height = whole.bottom - whole.top;
  return true;
}

void Sys_WindowCoverMonitor() {
  HWND window = Win_ProgramWindow();
  RECT whole, work, frame;
  if (window == nullptr || !monitorRects(&whole, &work)) return;
  if (!placeBeforeCovering && GetWindowRect(window, &frame) && !(frame.left == whole.left && frame.top == whole.top)) {
    placeBeforeCovering = true;
    beforeCoveringX = frame.left, beforeCoveringY = frame.top;
  }
  SetWindowPos(window, HWND_TOP, whole.left, whole.top, whole.right - whole.left, whole.bottom - whole.top,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// ---- the icon in the title bar and the task bar --------------------------------------------

// A colour icon from the 32 x 32 pixels, shown where alpha is 255.
static HICON makeIcon(int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;  // rows from the top
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000, header.bV5GreenMask = 0x0000FF00, header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (color == nullptr) return nullptr;
  uint32_t* to = static_cast<uint32_t*>(bits);
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) to[y * size + x] = iconPixels[(y * 32 / size) * 32 + x * 32 / size].load(std::memory_order_relaxed);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

static void giveIcon(HWND window) {
  if (!iconGiven.load()) return;
  HICON big = makeIcon(32), small = makeIcon(16);
  if (big == nullptr || small == nullptr) {
    if (big != nullptr) DestroyIcon(big);
    if (small != nullptr) DestroyIcon(small);
    return;
  }
  SendMessageW(window, WM_SETICON, ICON_BIG, LPARAM(big));
  SendMessageW(window, WM_SETICON, ICON_SMALL, LPARAM(small));
  if (bigIcon != nullptr) DestroyIcon(bigIcon);
  if (smallIcon != nullptr) DestroyIcon(smallIcon);
  bigIcon = big, smallIcon = small;
}

// SDL sets the window class's icon; the window's own icons, which the title bar and the task
// bar show first, are set here from the same pixels.
void Sys_WindowCompleteIcon(const uint32_t pixels[1024]) {
  for (int i = 0; i < 1024; i++) iconPixels[i].store(pixels[i], std::memory_order_relaxed);
  iconGiven = true;
  if (HWND window = Win_ProgramWindow(); window != nullptr && Sys_IsMainThread()) giveIcon(window);
}

// A minimised window shows its caption: there is no other name to give it.
void Sys_WindowCompleteIconName(const std::string&) {}

// The display's idle timer starts again, as at a key press: neither the screensaver nor the
// display's power saving begins while the game runs, unless the user lets it
// (SDL_VIDEO_ALLOW_SCREENSAVER=1, as the library reads it).
void Sys_HoldOffScreenSaver() {
  static const bool allowed = [] {
    const char* allow = std::getenv("SDL_VIDEO_ALLOW_SCREENSAVER");
    return allow != nullptr && std::atoi(allow) != 0;
  }();
  if (!allowed) SetThreadExecutionState(ES_DISPLAY_REQUIRED);
}
