// mouse.h: the mouse queue, as the game reads it.
//
// A ring of 65,536 MouseRecord entries filled by the main thread's event pass and walked by
// the game thread with Mouse_Input; coordinates are window pixels, turned into screen-page
// pixels by Mouse_X and Mouse_Y through the presentation's geometry.
#pragma once

#include <cstdint>

#include "runtime/input_records.h"

// -1 and the current record moves on when a newer one exists, else 0 (also while an error
// is pending). Finding no newer record, after an earlier empty read with nothing new since,
// sleeps until there is news for the game (see wake.h), so waits do not spin.
int32_t Mouse_Input();
// The current record as it stands (window pixels, raw button bits).
MouseRecord Mouse_Current();
// Position of the current record in screen-page pixels, clamped to the page; 0 while an
// error is pending.
float Mouse_X();
float Mouse_Y();
// -1 if button n (1 left, 2 right, 3 middle) is down in the current record, 0 above 3.
// Error 5 (and 0) below 1.
int32_t Mouse_Button(int32_t n);
// Hide the pointer over the window; show it again and release any grab. Either call leaves
// the pointer's visibility to the game from then on.
void Mouse_Hide();
void Mouse_Show();

// ---- main thread ---------------------------------------------------------------------------

// Motions still to be stored without movement.
void Mouse_SetMotionSkip(int32_t count);
// After a new window surface: one record at the pointer's place (SDL_GetMouseState) with the
// newest record's buttons, every unread record dropped, and the next 4 motions without movement.
void Mouse_RestartQueue();
