// window_x11.cpp: placement of the program's window through the X server. Owns nothing; the
// window is SDL's, found through its window-manager info on each call.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

static bool sdlWindow(Display** display, Window* frame) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *frame = info.info.x11.wmwindow;
  return *frame != 0;
}

void Sys_WindowShowMaximized() {
  Display* display;
  Window frame;
  if (!sdlWindow(&display, &frame)) return;
  Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = frame;
  event.xclient.message_type = state;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // add
  event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  event.xclient.data.l[2] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  XMapRaised(display, frame);
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
}
