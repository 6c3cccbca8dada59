// window.cpp: caption, icon and placement of the window. Owns the 32 x 32 icon surface and the
// caption and icon the game asked for and the main thread has not yet set.
//
// The main thread owns the window and makes it anew when the page's size changes; a caption or
// icon set by the game thread at that moment could be lost inside the library. So while the main
// loop runs, the game hands its request over (the newest wins) and the loop sets it.
#include "graphics/window.h"

#include <SDL.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "graphics/blit.h"
#include "graphics/image.h"
#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/program.h"
#include "runtime/wake.h"

static SDL_Surface* iconSurface;
struct IconPixels {
  uint32_t pixels[1024];
};
static std::atomic<std::string*> askedCaption{nullptr};
static std::atomic<IconPixels*> askedIcon{nullptr};

static void setCaption(const std::string& text) {
  SDL_WM_SetCaption(text.c_str(), text.c_str());
  Sys_WindowCompleteIconName(text);
}

static void setIcon(const uint32_t pixels[1024]) {
  if (iconSurface == nullptr) {
    iconSurface = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (iconSurface == nullptr) return;
  }
  if (SDL_MUSTLOCK(iconSurface) && SDL_LockSurface(iconSurface) < 0) return;
  for (int y = 0; y < 32; y++)
    std::memcpy(static_cast<uint8_t*>(iconSurface->pixels) + y * iconSurface->pitch, pixels + y * 32, 32 * 4);
  if (SDL_MUSTLOCK(iconSurface)) SDL_UnlockSurface(iconSurface);
  SDL_WM_SetIcon(iconSurface, nullptr);
  Sys_WindowCompleteIcon(pixels);
}

void Window_SetTitle(const std::string& text) {
  if (Error_Pending()) return;
  if (!Program_MainLoopRuns()) return setCaption(text);
  delete askedCaption.exchange(new std::string(text));
  Wake_Main();
}

bool Window_MakeIcon(int32_t handle, uint32_t pixels[1024]) {
  if (Error_Pending() || Image_Lookup(handle) == 0) return false;
  int32_t icon = Image_New(32, 32);
  if (icon == 0) return false;
  ImageRecord* r = Image_Record(-icon);
  std::memset(r->pixels, 0, 1024 * 4);
  r->noBlend = 1;
  Image_Put(0, 0, 0, 0, handle, icon, 0, 0, 0, 0, PUT_SOURCE | PUT_DEST);
  bool made = !Error_Pending();
  // A window manager knows only shown and hidden icon pixels; half alpha counts as shown.
  for (int i = 0; i < 1024; i++) {
    uint32_t c = r->pixels[i];
    pixels[i] = (c & 0x00FFFFFF) | ((c >> 24) >= 127 ? 0xFF000000u : 0u);
  }
  Image_Release(-icon);
  return made;
}

void Window_SetIcon(int32_t handle) {
  if (Error_Pending() || Image_Lookup(handle) == 0) return;
  auto icon = std::make_unique<IconPixels>();
  if (!Window_MakeIcon(handle, icon->pixels)) return;
  if (!Program_MainLoopRuns()) return setIcon(icon->pixels);
  delete askedIcon.exchange(icon.release());
  Wake_Main();
}

bool Window_DressingAsked() { return askedCaption.load() != nullptr || askedIcon.load() != nullptr; }

void Window_SetAskedDressing() {
  if (std::unique_ptr<std::string> caption{askedCaption.exchange(nullptr)}) setCaption(*caption);
  if (std::unique_ptr<IconPixels> icon{askedIcon.exchange(nullptr)}) setIcon(icon->pixels);
}

// The game places its window as its very first step, which can come before the presentation's
// first mode set; wait for that (five seconds at most: a loaded machine, or SDL 2 under a
// checking build, can take more than one) rather than lose the request.
static SysWindowHandle awaitNativeWindow() {
  for (int look = 0; look < 500 && Sys_WindowHandleState() == SYS_WINDOW_NOT_YET; look++) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) break;
    Sys_Sleep(10);
  }
  return Sys_WindowHandleState();
}

// Centre a client area of the page's size: the frame's border splits into equal sides and a
// title bar that takes the rest of the vertical border.
static void centre() {
  int32_t x, y, outerW = 0, outerH = 0, clientW = 0, clientH = 0;
  for (int look = 0; look < 50; look++) {
    if (!Sys_WindowFrameRect(&x, &y, &outerW, &outerH) || !Sys_WindowClientSize(&clientW, &clientH)) return;
    if (outerW >= clientW && outerH >= clientH) break;
    Sys_Sleep(10);
  }
  int32_t borderW = outerW - clientW, borderH = outerH - clientH;
  if (borderW < 0 || borderH < 0) return;
  int32_t side = borderW / 2, title = borderH - side;
  int32_t desktopW, desktopH;
  if (!Sys_DesktopSize(&desktopW, &desktopH)) return;
  PresentGeometry shown = Present_Geometry();
  Sys_WindowPlaceFrame((desktopW - shown.shownW) / 2 - side, (desktopH - shown.shownH) / 2 - title);
}

void Window_Move(int32_t x, int32_t y, int32_t passed) {
  if (Error_Pending()) return;
  WakeMainAfter wake;
  if (passed == 0 || passed == 3) return Runtime_Error(5);
  // The pause runs from the call: the wait for the first window is part of it, as the game's
  // first step comes when the window is still being made.
  uint32_t called = SDL_GetTicks();
  // A window held back for the game's first page is made later: it takes the place then.
  if ((passed & WINDOW_AT) && Present_WindowHeldBack() && Sys_WindowHandleState() == SYS_WINDOW_NOT_YET) {
    Sys_Sleep(100);
    return Sys_WindowPlaceFrame(x, y);
  }
  if (Present_IsFullScreen() || awaitNativeWindow() != SYS_WINDOW_KNOWN) return;
  uint32_t waited = SDL_GetTicks() - called;
  if (waited < 100) Sys_Sleep(100 - waited);
  if (passed & WINDOW_AT) {
    Sys_WindowPlaceFrame(x, y);
  } else {
    centre();
  }
}
