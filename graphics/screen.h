// screen.h: the screen page and its presentation in the window.
//
// The game draws into images and names one of them the screen page; the main thread copies the
// whole page into the window about every 32 ms. screenPage, drawDest and drawSource are record
// numbers of the image table, written by the game thread; the presentation reads screenPage
// only while no page swap is asked (pageSwapState handshake). The window geometry below is
// written by the presentation (main thread) and read by the mouse code on the game thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "runtime/wake.h"

extern int32_t screenPage;  // image shown in the window
extern int32_t drawDest;    // target of drawing, text and blits without a destination
extern int32_t drawSource;  // default source of the blit

// Page geometry in the window, for turning window coordinates into page coordinates.
extern std::atomic<int32_t> presentOffsetX, presentOffsetY, presentScaleX, presentScaleY;

// Moved on by every drawing operation when it is done (game thread), so that the presentation
// copies the page only when something may have changed since its last copy.
extern std::atomic<uint32_t> pageChanges;
inline void Screen_NoteChange() {
  pageChanges.fetch_add(1);
  Wake_GameActed();
  Wake_Main();
}
// Drawing operations note their change on the way out, whichever way they leave.
struct ScreenChangeNote {
  ~ScreenChangeNote() { Screen_NoteChange(); }
};

// Make image handle the screen page, the destination and the default source. Error 258.
void Screen_Set(int32_t handle);

// Main thread, at start-up: read the full-screen modes and make the 640 x 400 start-up page.
void Screen_Init();
// In main, before Program_Run: show each page pixel in the window as a scale x scale block
// (1 to 4), or with 0 the largest block whose window fits the desktop's work area. The mouse
// code maps the pointer back through presentScaleX and presentScaleY; full screen keeps its rule.
void Screen_SetWindowScale(int32_t scale);
// Main thread: one presentation pass. The main loop calls it when Screen_PassWanted, at most
// once per display refresh.
void Screen_Present();
// Main thread: a pass has something to do: the page changed since the last copy, a page swap
// or a full-screen change is asked, or the window surface must be cleared.
bool Screen_PassWanted();
// Main thread: the presentation loop runs from now on, so page swaps must be granted by it.
void Screen_StartPresenting();
// Main thread, key handling: Alt+Enter was pressed.
void Screen_RequestFullScreenToggle();
// True while the window is in one of the full-screen states.
bool Screen_IsFullScreen();
// True when SDL 1.2 is the library made over SDL 2 (sdl12-compat), whose full screen and pointer
// differ from the classic library's; any thread after SDL's start-up.
bool Screen_LibraryOverSdl2();
// Game thread, around a message box: full screen holds the keyboard and pointer, so the box
// could not be answered. Leave it (returning the state left, 0 when windowed) and go back.
int32_t Screen_LeaveFullScreen();
void Screen_ReturnToFullScreen(int32_t state);

struct ScreenMode {
  uint16_t width, height;
};
// The nearest mode and the nearest 4:3 mode for a page of w x h (indices into modes, -1 when
// there is none): among modes at least 640 wide and at least w x h, the smallest excess
// width + height - w - h, a later mode winning a tie.
void Screen_ChooseModes(const std::vector<ScreenMode>& modes, int32_t w, int32_t h, int* nearest, int* fourThree);
// Replace the full-screen modes read at start-up, for a driver that lists none (tests).
void Screen_SetModes(const std::vector<ScreenMode>& modes);
