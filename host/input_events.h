// input_events.h: how the main thread's event pass and start-up feed the input stores.
// Main thread only; the tests drive the stores through the same calls.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host/mouse.h"

// Start-up: the first record of the mouse queue at the pointer's place, both indices on it,
// the motion-skip counter at 1.
void Mouse_InitQueue();
void Mouse_InitQueueAt(int16_t x, int16_t y);
// SDL_MOUSEMOTION (two records), SDL_MOUSEBUTTONDOWN and SDL_MOUSEBUTTONUP (one record each).
void Mouse_OnEvent(const SDL_Event& event);
// Write record after the newest; when the ring is full the oldest unread record is lost.
void Mouse_Append(const MouseRecord& record);
// Mouse_RestartQueue with the pointer at (x, y).
void Mouse_RestartQueueAt(int16_t x, int16_t y);

// Start-up: the lock and modifier keys as the system holds them now; the key buffer empty.
void Key_CaptureHeldState();
// Every event pass: bring the held lock keys into line with the system's toggle state.
void Key_SyncLocks();
// SDL_KEYDOWN: one key press into the key buffer, or a special press (Break, Pause, Alt+Enter).
void Key_OnKeyDown(const SDL_KeyboardEvent& event);
// SDL_KEYUP: the key leaves the held-key set; releasing Alt ends an Alt+keypad number.
void Key_OnKeyUp(const SDL_KeyboardEvent& event);
// Store one pair at the tail; false (and nothing stored) when the buffer holds 15 keys.
bool Key_Store(uint8_t character, uint8_t scan);
