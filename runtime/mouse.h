// mouse.h: the mouse queue, as the game reads it.
//
// A ring of 65,536 MouseRecord entries filled by the main thread's event pass and walked by
// the game thread with Mouse_Input; coordinates are window pixels, turned into screen-page
// pixels by Mouse_X and Mouse_Y.
#pragma once

#include <cstdint>

struct MouseRecord {
  int16_t x, y;       // pointer position in window pixels
  int32_t buttons;    // bit n: SDL button n + 1 (0 left, 1 middle, 2 right, 3/4 wheel)
  int16_t moveX, moveY;  // relative movement carried by this record
};

// -1 and the current record moves on when a newer one exists, else 0.
int32_t Mouse_Input();
// Position of the current record in screen-page pixels, clamped to the page.
float Mouse_X();
float Mouse_Y();
// -1 if button n (1 left, 2 right, 3 middle) is down in the current record. Error 5 below 1.
int32_t Mouse_Button(int32_t n);
// Hide the pointer over the window; show it again and release any grab.
void Mouse_Hide();
void Mouse_Show();

// ---- for the presentation (main thread) ---------------------------------------------------

// Motions still to be stored without movement.
void Mouse_SetMotionSkip(int32_t count);
// After a new window surface: one record at the pointer's place, every unread record dropped.
void Mouse_RestartQueue();
// True once the game has shown or hidden the pointer itself.
bool Mouse_CursorVisibilitySet();
