// screen.h: the screen page and the pass that presents it.
//
// The game draws into images and names one of them the screen page; the main thread hands the
// whole page to the presentation (graphics/present.h) about every 32 ms. screenPage, drawDest
// and drawSource are record numbers of the image table, written by the game thread; the pass
// reads screenPage only while no page swap is asked (pageSwapState handshake).
#pragma once

#include <atomic>
#include <climits>
#include <cstdint>

#include "runtime/wake.h"

extern int32_t screenPage;  // image shown in the window
extern int32_t drawDest;    // target of drawing, text and blits without a destination
extern int32_t drawSource;  // default source of the blit

// Moved on by every drawing operation when it is done (game thread), so that the presentation
// copies the page only when something may have changed since its last copy.
extern std::atomic<uint32_t> pageChanges;
inline void Screen_NoteChange() {
  pageChanges.fetch_add(1);
  Wake_GameActed();
  Wake_Main();
}
// Game thread, after drawing: image record n changed within x1..x2, y1..y2 (corners included,
// in any order). Only the screen page's changes count; the presentation looks for what changed
// within their bound alone.
void Screen_NoteTouched(int32_t n, int64_t x1, int64_t y1, int64_t x2, int64_t y2);
// Drawing operations note their change on the way out, whichever way they leave: the whole
// page, unless the operation named the rectangle it drew into.
struct ScreenChangeNote {
  int32_t image = -1;  // -1: the screen page, whole
  int64_t x1 = INT32_MIN, y1 = INT32_MIN, x2 = INT32_MAX, y2 = INT32_MAX;
  void only(int32_t n, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    image = n, x1 = left, y1 = top, x2 = right, y2 = bottom;
  }
  ~ScreenChangeNote() {
    Screen_NoteTouched(image < 0 ? screenPage : image, x1, y1, x2, y2);
    Screen_NoteChange();
  }
};

// Make image handle the screen page, the destination and the default source. Error 258.
void Screen_Set(int32_t handle);

// Main thread, at start-up: start the presentation (full-screen modes, the desktop's scale) and
// make the 640 x 400 start-up page.
void Screen_Init();
// Main thread: one presentation pass. The main loop calls it when Screen_PassWanted, at most
// once per display refresh. True when the window surface was made anew, so that the pointer's
// window coordinates changed. *onlyGranted, when asked, says the pass only granted a page swap
// and copied nothing: the new page is to be shown as soon as the game has swapped.
bool Screen_Present(bool* onlyGranted = nullptr);
// Main thread: a pass has something to do: the page changed since the last copy, a page swap
// or a full-screen change is asked, or the window surface must be cleared.
bool Screen_PassWanted();
// Main thread: the window system lost what the window showed (it was uncovered, restored or
// made active): the next pass draws the whole page again, changed or not.
void Screen_Redraw();
// Main thread: the presentation loop runs from now on, so page swaps must be granted by it.
void Screen_StartPresenting();
