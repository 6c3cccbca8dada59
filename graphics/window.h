// window.h: the window's caption, icon and place on the desktop.
//
// Owns the icon surface and the caption and icon waiting for the main thread. The native window
// itself belongs to the presentation, which learns it after its first mode set. Game thread,
// but for the two calls of the main loop at the end.
#pragma once

#include <cstdint>
#include <string>

// Set the window's caption and its minimised caption to text.
void Window_SetTitle(const std::string& text);

// Make image handle the window's icon: stretched to 32 x 32 without blending, each alpha
// forced to 255 from 127 up and to 0 below. Error 258 for a handle that is not an image.
void Window_SetIcon(int32_t handle);

// The icon Window_SetIcon would make from image handle, into pixels (32 x 32, 0xAARRGGBB).
// False after an error (258, or 5 for the start-up page) or when memory runs out.
bool Window_MakeIcon(int32_t handle, uint32_t pixels[1024]);

enum : int32_t { WINDOW_CENTRE = 1, WINDOW_AT = 2 };

// WINDOW_AT: put the outer top-left corner of the window's frame at desktop (x, y);
// WINDOW_CENTRE: centre a client area of the screen page's size on the desktop. Pauses 100 ms
// first. Error 5 for passed 0 or 3; nothing in full screen or without a native window. The
// place holds when the presentation makes the window again at another size.
void Window_Move(int32_t x, int32_t y, int32_t passed);

// Main thread: a caption or icon the game asked for waits to be set.
bool Window_DressingAsked();
// Main thread, in its loop: set the caption and icon the game asked for last, if any.
void Window_SetAskedDressing();
