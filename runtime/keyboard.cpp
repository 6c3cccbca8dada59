// keyboard.cpp: the key buffer and the held-key set. Placeholder until the full key
// translation lands: it honours Alt+Enter and Break.
#include "runtime/keyboard.h"

#include "graphics/screen.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/input_events.h"
#include "runtime/program.h"

std::string Key_Read() {
  if (Error_Pending()) return "";
  Sys_Sleep(0);
  return "";
}

void Key_CaptureHeldState() {}
void Key_SyncLocks() {}

void Key_OnKeyDown(const SDL_KeyboardEvent& event) {
  SDLKey sym = event.keysym.sym;
  if (sym == SDLK_BREAK) endRequested = 1;
  if ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (event.keysym.mod & KMOD_ALT)) Screen_RequestFullScreenToggle();
}

void Key_OnKeyUp(const SDL_KeyboardEvent&) {}
