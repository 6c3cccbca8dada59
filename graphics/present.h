// present.h: the window and how a page is shown in it.
//
// Owns the window surface and its size, the full-screen state and mode list, the window's pixel
// repeat, where the shown page stands in the window (its geometry) and the pointer's visibility
// until the game takes it. Across a switch to or from full screen it keeps the pointer over the
// same page pixel and the window's place. It knows pixels, not images: the screen page hands it a page's pixels
// with Present_Frame, the mouse code turns window pixels into page pixels with
// Present_WindowToPage. The arithmetic of where the page stands is graphics/present_geometry.h,
// the drawing at the shown size graphics/scaler.h. Present_Frame runs on the main thread, which alone writes this state;
// the other threads read it through the calls marked "any thread".
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/present_geometry.h"

// Where the last pass put the page: its top-left window pixel, its size in the window, and the
// page's own size. In a window the shown size is the page's times the window's pixel repeat.
struct PresentGeometry {
  int32_t offsetX, offsetY, shownW, shownH, pageW, pageH;
};

// ---- main thread, at start-up ------------------------------------------------------------

// Read the full-screen modes, the desktop's scale, and make the blank pointer where it is needed.
void Present_Init();
// Before Present_Init: the window's pixel repeat, 1 to 4; 0 for the largest that fits the
// desktop's work area; -1 (the default) for the desktop's own scale, at most that largest.
void Present_SetWindowScale(int32_t scale);
// Replace the full-screen modes read at start-up, for a driver that lists none (tests).
void Present_SetModes(const std::vector<ScreenMode>& modes);

// ---- main thread, the presentation pass ----------------------------------------------------

// Show a w x h page (rows of w pixels 0xAARRGGBB; the alpha byte is ignored) in the window:
// take a pending Alt+Enter or full-screen request, make the window surface again when its size
// or full screen changes, clear it when cleared is false, draw the page and show the surface.
// Drawing changed the page only within touched since the last pass: when the surface is kept
// and not to be cleared, only the pixels that differ from the last pass's page within it are
// drawn again and shown. True when the window surface was made anew (the pointer's window
// coordinates changed).
bool Present_Frame(const uint32_t* pixels, int32_t w, int32_t h, bool cleared, PageRect touched);
// The page is the one shown before the game names its own: with a pixel repeat other than 1 the
// window waits for the game's page (at most 5 s), so that it is first shown at its final size.
// True while a pass should wait for it.
bool Present_WaitsForFirstPage();
// Key handling: Alt+Enter was pressed.
void Present_RequestFullScreenToggle();

// ---- any thread --------------------------------------------------------------------------

// 0 window, 1 full screen in the nearest mode, 2 in the nearest 4:3 mode.
int32_t Present_FullScreenState();
bool Present_IsFullScreen();
// Ask the next pass for a full-screen state (0 for the window); Present_FullScreenAsked stays
// true until a pass has taken it.
void Present_AskFullScreen(int32_t state);
bool Present_FullScreenAsked();
// Main thread: an Alt+Enter or a full-screen request waits for the next pass.
bool Present_ModeChangeAsked();
// True before the window exists while the presentation holds it back for the game's page.
bool Present_WindowHeldBack();
PresentGeometry Present_Geometry();
// Tests: set the geometry that Present_WindowToPage reads.
void Present_SetGeometry(const PresentGeometry& g);
// The page pixel under window pixel (wx, wy): through the offset and the scale, clamped to the page.
void Present_WindowToPage(int32_t wx, int32_t wy, int32_t* px, int32_t* py);
// True when SDL 1.2 is the library made over SDL 2 (sdl12-compat), whose full screen and pointer
// differ from the classic library's; after SDL's start-up.
bool Present_LibraryOverSdl2();

// ---- the pointer's visibility ------------------------------------------------------------

// Whether the pointer shows over the window, and showing or hiding it. Main thread until the
// game has taken the pointer's visibility, the game thread after.
bool Present_PointerShown();
void Present_ShowPointer(bool shown);
// Game thread: from now on the game alone shows and hides the pointer; full screen leaves it.
void Present_TakePointerVisibility();
