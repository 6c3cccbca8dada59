// input_events.h: how the main thread's event pass and start-up feed the input stores.
// Main thread only.
#pragma once

#include <SDL.h>

// Start-up: the first record of the mouse queue at the pointer's place.
void Mouse_InitQueue();
// SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP.
void Mouse_OnEvent(const SDL_Event& event);

// Start-up: the lock and modifier keys as the system holds them now; the key buffer empty.
void Key_CaptureHeldState();
// Every event pass: bring the held lock keys into line with the system's toggle state.
void Key_SyncLocks();
void Key_OnKeyDown(const SDL_KeyboardEvent& event);
void Key_OnKeyUp(const SDL_KeyboardEvent& event);
