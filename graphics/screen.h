// screen.h: the screen page and the pass that presents it.
//
// The game draws into images and names one of them the screen page; the main thread hands the
// whole page to the presentation (graphics/present.h) about every 32 ms. screenPage, drawDest
// and drawSource are record numbers of the image table, written by the game thread; the pass
// reads screenPage only while no page swap is asked (pageSwapState handshake).
#pragma once

#include <cstdint>

extern int32_t screenPage;  // image shown in the window
extern int32_t drawDest;    // target of drawing, text and blits without a destination
extern int32_t drawSource;  // default source of the blit

// Make image handle the screen page, the destination and the default source. Error 258.
void Screen_Set(int32_t handle);

// Main thread, at start-up: start the presentation (full-screen modes, the desktop's scale) and
// make the 640 x 400 start-up page.
void Screen_Init();
// Main thread: one presentation pass (the main loop calls it every other pass). True when the
// window surface was made anew, so that the pointer's window coordinates changed.
bool Screen_Present();
// Main thread: the presentation loop runs from now on, so page swaps must be granted by it.
void Screen_StartPresenting();
