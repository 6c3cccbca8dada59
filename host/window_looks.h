// window_looks.h: the pointer and the icon the window shows until the game sets its own.
#pragma once

#include <SDL.h>

// A 32 x 32 arrow with its hot spot at the top-left pixel; nullptr when SDL cannot make it.
SDL_Cursor* WindowLooks_MakeArrow();
// The window's icon until the game sets its own: a green scope ring with cross hairs.
void WindowLooks_SetDefaultIcon();
