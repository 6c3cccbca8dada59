// message_box.cpp: the modal message box, drawn with Xlib on a display connection of its own.
//
// Owns nothing between calls: each box opens its connection, window, font and graphics context,
// and frees them all before it answers. Any thread may show a box (Xlib runs thread-safe, see
// Sys_InitThreads); the box never touches SDL's connection, so the program's window stays live
// behind it. Text and caption are bytes, drawn and announced as Latin-1.
#include "platform/platform.h"
#include "platform/shared/box_without_display.h"

#include <SDL.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Layout in pixels. The end-to-end tests click the buttons at these places.
static const int margin = 16;         // left, right and top of the text
static const int textToButtons = 18;  // below the last text line
static const int buttonWidth = 80, buttonHeight = 26, buttonGap = 10;
static const int bottomMargin = 14;  // below the buttons
static const int minBoxWidth = 240;
static const int titleChrome = 100;       // room beside the title for the window manager's buttons
static const size_t captionLimit = 1024;  // bytes of caption announced to the window manager

// The faces of the box, as 0xRRGGBB.
static const unsigned long faceRgb = 0xD8D8D8, lightRgb = 0xFFFFFF, shadowRgb = 0x808080, darkRgb = 0x000000;

struct Button {
  const char* label;
  SysBoxAnswer answer;
  int x, y;
};

struct Box {
  Display* display = nullptr;
  Window window = 0;
  XFontStruct* font = nullptr;
  GC gc = nullptr;
  Atom protocols = None, deleteWindow = None;
  unsigned long face, light, shadow, dark;
  std::vector<std::string> lines;
  Button buttons[2];
  int buttonCount = 0;
  int focused = 0;            // button that Enter and Space press; the default button at first
  int pressed = -1;           // button held down by the mouse, -1 none
  unsigned keyDown = 0;       // key code last pressed in the box, 0 none
  bool mapped = false;        // the box is on the screen
  char heldAtStart[32] = {};  // keys already down when the box appeared, until released
  bool pressedInside = false;
  int width = 0, height = 0;
};

// Latin-1 text as the font draws it: control bytes become '?', a tab becomes blanks.
static void appendPrintable(std::string* out, unsigned char c) {
  if (c == '\t') {
    out->append("    ");
  } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
    out->push_back('?');
  } else {
    out->push_back(static_cast<char>(c));
  }
}

static int charWidth(const XFontStruct* font, char c) { return XTextWidth(const_cast<XFontStruct*>(font), &c, 1); }

static int textWidth(const XFontStruct* font, const std::string& s) {
  return XTextWidth(const_cast<XFontStruct*>(font), s.data(), static_cast<int>(s.size()));
}

// Split the text at line feeds (CR LF and a lone CR count as one), wrap lines wider than
// maxWidth at their last blank (or anywhere when they have none), and keep at most maxLines,
// marking a cut with "...". Stops reading as soon as the box is full, so no text is too long.
static std::vector<std::string> layOutText(const std::string& text, const XFontStruct* font, int maxWidth,
                                           size_t maxLines) {
  std::vector<std::string> lines(1);
  int width = 0;
  bool cut = false;
  auto newLine = [&]() {
    if (lines.size() == maxLines) {
      cut = true;
      return;
    }
    lines.emplace_back();
    width = 0;
  };
  for (size_t i = 0; i < text.size() && !cut; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i++;
      newLine();
      continue;
    }
    std::string piece;
    appendPrintable(&piece, c);
    for (char p : piece) {
      int w = charWidth(font, p);
      if (width + w > maxWidth && !lines.back().empty()) {
        std::string& line = lines.back();
        size_t blank = line.rfind(' ');
        std::string carried;
        if (blank != std::string::npos && blank > 0) {
          carried = line.substr(blank + 1);
          line.erase(blank);
        }
        newLine();
        if (cut) break;
        lines.back() = carried;
        width = textWidth(font, carried);
      }
      lines.back().push_back(p);
      width += w;
    }
  }
  if (cut) {
    std::string& last = lines.back();
    while (!last.empty() && textWidth(font, last + "...") > maxWidth) last.pop_back();
    last += "...";
  }
  return lines;
}

static unsigned long color(Display* display, unsigned long rgb, unsigned long fallback) {
  XColor c{};
  c.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 0x101);
  c.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 0x101);
  c.blue = static_cast<unsigned short>((rgb & 0xFF) * 0x101);
  c.flags = DoRed | DoGreen | DoBlue;
  return XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &c) ? c.pixel : fallback;
}

static XFontStruct* loadFont(Display* display) {
  static const char* const names[] = {
      "-*-helvetica-medium-r-normal--14-*-*-*-p-*-iso8859-1",
      "-misc-fixed-medium-r-normal--14-*-*-*-*-*-iso8859-1",
      "fixed",
  };
  for (const char* name : names)
    if (XFontStruct* font = XLoadQueryFont(display, name)) return font;
  return nullptr;
}

static Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

static void setAtomProperty(Display* display, Window window, const char* property, const char* value) {
  Atom a = atom(display, value);
  XChangeProperty(display, window, atom(display, property), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&a), 1);
}

// The caption as the window's title: WM_NAME in Latin-1, _NET_WM_NAME in UTF-8.
static void setTitle(Display* display, Window window, const std::string& caption) {
  std::string latin1, utf8;
  for (size_t i = 0; i < caption.size() && i < captionLimit; i++)
    appendPrintable(&latin1, static_cast<unsigned char>(caption[i]));
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
  XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, bytes(latin1),
                  static_cast<int>(latin1.size()));
  XChangeProperty(display, window, XA_WM_ICON_NAME, XA_STRING, 8, PropModeReplace, bytes(latin1),
                  static_cast<int>(latin1.size()));
  Atom utf8String = atom(display, "UTF8_STRING");
  XChangeProperty(display, window, atom(display, "_NET_WM_NAME"), utf8String, 8, PropModeReplace, bytes(utf8),
                  static_cast<int>(utf8.size()));
  XChangeProperty(display, window, atom(display, "_NET_WM_ICON_NAME"), utf8String, 8, PropModeReplace, bytes(utf8),
                  static_cast<int>(utf8.size()));
}

// A window manager that follows the desktop conventions names itself on the root window.
static bool windowManagerRunning(Display* display) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  bool found = XGetWindowProperty(display, DefaultRootWindow(display), atom(display, "_NET_SUPPORTING_WM_CHECK"), 0, 1,
                                  False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
               type == XA_WINDOW && count == 1;
  if (data != nullptr) XFree(data);
  return found;
}

// Ask for the keyboard: through the window manager when there is one (it may refuse a focus
// change that does not come from a pager), directly when there is none.
static void takeFocus(Box& box, bool managed) {
  if (!managed) {
    XSetInputFocus(box.display, box.window, RevertToPointerRoot, CurrentTime);
    return;
  }
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = box.window;
  e.xclient.message_type = atom(box.display, "_NET_ACTIVE_WINDOW");
  e.xclient.format = 32;
  e.xclient.data.l[0] = 2;  // source: a pager, which the window manager obeys
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(box.display, DefaultRootWindow(box.display), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

static void drawButton(Box& box, int index) {
  Display* d = box.display;
  const Button& b = box.buttons[index];
  bool sunken = box.pressed == index && box.pressedInside;
  bool isDefault = box.focused == index;
  int x = b.x, y = b.y, w = buttonWidth, h = buttonHeight;
  XSetForeground(d, box.gc, box.face);
  XFillRectangle(d, box.window, box.gc, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (isDefault) {  // the default button wears a dark outline
    XSetForeground(d, box.gc, box.dark);
    XDrawRectangle(d, box.window, box.gc, x, y, static_cast<unsigned>(w - 1), static_cast<unsigned>(h - 1));
    x++, y++, w -= 2, h -= 2;
  }
  if (sunken) {
    XSetForeground(d, box.gc, box.shadow);
    XDrawRectangle(d, box.window, box.gc, x, y, static_cast<unsigned>(w - 1), static_cast<unsigned>(h - 1));
  } else {
    XSetForeground(d, box.gc, box.light);
    XDrawLine(d, box.window, box.gc, x, y, x + w - 2, y);
    XDrawLine(d, box.window, box.gc, x, y, x, y + h - 2);
    XSetForeground(d, box.gc, box.dark);
    XDrawLine(d, box.window, box.gc, x, y + h - 1, x + w - 1, y + h - 1);
    XDrawLine(d, box.window, box.gc, x + w - 1, y, x + w - 1, y + h - 1);
    XSetForeground(d, box.gc, box.shadow);
    XDrawLine(d, box.window, box.gc, x + 1, y + h - 2, x + w - 2, y + h - 2);
    XDrawLine(d, box.window, box.gc, x + w - 2, y + 1, x + w - 2, y + h - 2);
  }
  int shift = sunken ? 1 : 0;
  int labelWidth = textWidth(box.font, b.label);
  int lx = b.x + (buttonWidth - labelWidth) / 2 + shift;
  int ly = b.y + (buttonHeight + box.font->ascent - box.font->descent) / 2 + shift;
  XSetForeground(d, box.gc, box.dark);
  XDrawString(d, box.window, box.gc, lx, ly, b.label, static_cast<int>(std::strlen(b.label)));
  if (isDefault) {  // focus mark: a dotted frame inside the button
    XSetLineAttributes(d, box.gc, 0, LineOnOffDash, CapButt, JoinMiter);
    XDrawRectangle(d, box.window, box.gc, b.x + 4, b.y + 4, buttonWidth - 9, buttonHeight - 9);
    XSetLineAttributes(d, box.gc, 0, LineSolid, CapButt, JoinMiter);
  }
}

static void draw(Box& box) {
  Display* d = box.display;
  XSetForeground(d, box.gc, box.face);
  XFillRectangle(d, box.window, box.gc, 0, 0, static_cast<unsigned>(box.width), static_cast<unsigned>(box.height));
  XSetForeground(d, box.gc, box.dark);
  int lineHeight = box.font->ascent + box.font->descent + 2;
  int y = margin + box.font->ascent;
  for (const std::string& line : box.lines) {
    XDrawString(d, box.window, box.gc, margin, y, line.data(), static_cast<int>(line.size()));
    y += lineHeight;
  }
  for (int i = 0; i < box.buttonCount; i++) drawButton(box, i);
  XFlush(d);
}

static KeySym keySymOf(XKeyEvent& key) {
  char ignored[8];
  KeySym sym = NoSymbol;
  XLookupString(&key, ignored, sizeof ignored, &sym, nullptr);
  return sym;
}

static bool keyMovesFocus(XKeyEvent& key) {
  KeySym sym = keySymOf(key);
  return sym == XK_Tab || sym == XK_ISO_Left_Tab || sym == XK_Left || sym == XK_Right;
}

static bool heldBefore(const Box& box, unsigned code) {
  return code < 256 && (box.heldAtStart[code / 8] >> (code % 8)) & 1;
}

static void forgetHeld(Box& box, unsigned code) {
  if (code < 256) box.heldAtStart[code / 8] = static_cast<char>(box.heldAtStart[code / 8] & ~(1 << (code % 8)));
}

// A key answers when it is released after being pressed in the box: a key still held from the
// game (and its auto-repeat) cannot answer a box the player has not seen, and no lone release
// reaches the game's window after the box is gone.
static bool keyAnswer(const Box& box, XKeyEvent& key, SysBoxStyle style, SysBoxAnswer* answer) {
  KeySym sym = keySymOf(key);
  if (style == SYS_BOX_YES_NO && (sym == XK_y || sym == XK_Y))
    *answer = SYS_ANSWER_YES;
  else if (style == SYS_BOX_YES_NO && (sym == XK_n || sym == XK_N))
    *answer = SYS_ANSWER_NO;
  else if (sym == XK_Escape && style == SYS_BOX_OK)
    *answer = SYS_ANSWER_OK;
  else if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_space)
    *answer = box.buttons[box.focused].answer;
  else
    return false;
  return true;
}

static int buttonAt(const Box& box, int x, int y) {
  for (int i = 0; i < box.buttonCount; i++) {
    const Button& b = box.buttons[i];
    if (x >= b.x && x < b.x + buttonWidth && y >= b.y && y < b.y + buttonHeight) return i;
  }
  return -1;
}

// Builds the window; false when the display offers no usable font.
static bool openBox(Box& box, const std::string& text, const std::string& caption, SysBoxStyle style) {
  Display* d = box.display;
  int screen = DefaultScreen(d);
  box.font = loadFont(d);
  if (box.font == nullptr) return false;
  box.face = color(d, faceRgb, WhitePixel(d, screen));
  box.light = color(d, lightRgb, WhitePixel(d, screen));
  box.shadow = color(d, shadowRgb, BlackPixel(d, screen));
  box.dark = color(d, darkRgb, BlackPixel(d, screen));

  int screenWidth = DisplayWidth(d, screen), screenHeight = DisplayHeight(d, screen);
  int lineHeight = box.font->ascent + box.font->descent + 2;
  int chrome = margin + textToButtons + buttonHeight + bottomMargin;
  int maxTextWidth = std::max(minBoxWidth, screenWidth * 3 / 4) - 2 * margin;
  size_t maxLines = static_cast<size_t>(std::max(1, (screenHeight * 3 / 4 - chrome) / lineHeight));
  box.lines = layOutText(text, box.font, maxTextWidth, maxLines);

  if (style == SYS_BOX_YES_NO) {
    box.buttons[0] = {"Yes", SYS_ANSWER_YES, 0, 0};
    box.buttons[1] = {"No", SYS_ANSWER_NO, 0, 0};
    box.buttonCount = 2;
  } else {
    box.buttons[0] = {"OK", SYS_ANSWER_OK, 0, 0};
    box.buttonCount = 1;
  }
  int textWidthMax = 0;
  for (const std::string& line : box.lines) textWidthMax = std::max(textWidthMax, textWidth(box.font, line));
  int buttonsWidth = box.buttonCount * buttonWidth + (box.buttonCount - 1) * buttonGap;
  // Wide enough for the title too, as far as the text may go.
  int titleWidth = std::min(textWidth(box.font, caption.substr(0, captionLimit)) + titleChrome, maxTextWidth);
  box.width = std::max({minBoxWidth, titleWidth, textWidthMax + 2 * margin, buttonsWidth + 2 * margin});
  box.height = margin + static_cast<int>(box.lines.size()) * lineHeight + textToButtons + buttonHeight + bottomMargin;
  int bx = (box.width - buttonsWidth) / 2, by = box.height - bottomMargin - buttonHeight;
  for (int i = 0; i < box.buttonCount; i++)
    box.buttons[i].x = bx + i * (buttonWidth + buttonGap), box.buttons[i].y = by;

  int x = (screenWidth - box.width) / 2, y = (screenHeight - box.height) / 2;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = box.face;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          Button1MotionMask | StructureNotifyMask;
  box.window =
      XCreateWindow(d, RootWindow(d, screen), x, y, static_cast<unsigned>(box.width), static_cast<unsigned>(box.height),
                    0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  box.gc = XCreateGC(d, box.window, 0, nullptr);
  XSetFont(d, box.gc, box.font->fid);

  setTitle(d, box.window, caption);
  XSizeHints* size = XAllocSizeHints();
  if (size != nullptr) {  // fixed size, centred on the screen
    size->flags = USPosition | PPosition | PMinSize | PMaxSize | PWinGravity;
    size->x = x, size->y = y;
    size->min_width = size->max_width = box.width;
    size->min_height = size->max_height = box.height;
    size->win_gravity = StaticGravity;  // the box itself, not its frame, is centred
    XSetWMNormalHints(d, box.window, size);
    XFree(size);
  }
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(d, box.window, &hints);
  char resName[] = "brinemark", resClass[] = "Brinemark";
  XClassHint classHint{resName, resClass};
  XSetClassHint(d, box.window, &classHint);
  long pid = static_cast<long>(getpid());
  XChangeProperty(d, box.window, atom(d, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  setAtomProperty(d, box.window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
  setAtomProperty(d, box.window, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE");
  box.protocols = atom(d, "WM_PROTOCOLS");
  box.deleteWindow = atom(d, "WM_DELETE_WINDOW");
  XSetWMProtocols(d, box.window, &box.deleteWindow, 1);
  XQueryKeymap(d, box.heldAtStart);
  XMapRaised(d, box.window);
  return true;
}

// A box that appears while the game's own window is being mapped can lose the keyboard to it a
// moment later; for its first second the box asks for the keyboard again whenever it lacks it.
static const int FOCUS_CLAIM_MS = 1000, FOCUS_POLL_MS = 50;

static void nextEvent(Box& box, bool managed, int* claimLeftMs, XEvent* e) {
  while (*claimLeftMs > 0 && XPending(box.display) == 0) {
    pollfd fd{ConnectionNumber(box.display), POLLIN, 0};
    poll(&fd, 1, FOCUS_POLL_MS);
    *claimLeftMs -= FOCUS_POLL_MS;
    Window focus;
    int revert;
    XGetInputFocus(box.display, &focus, &revert);
    if (focus != box.window && box.mapped) takeFocus(box, managed);
  }
  XNextEvent(box.display, e);
}

static SysBoxAnswer runBox(Box& box, SysBoxStyle style) {
  bool managed = windowManagerRunning(box.display);
  // Auto-repeat without its fake releases, so a held key stays held until it really comes up.
  XkbSetDetectableAutoRepeat(box.display, True, nullptr);
  int claimLeftMs = FOCUS_CLAIM_MS;
  for (;;) {
    XEvent e;
    nextEvent(box, managed, &claimLeftMs, &e);
    switch (e.type) {
      case MapNotify:
        box.mapped = true;
        takeFocus(box, managed);
        break;
      case Expose:
        if (e.xexpose.count == 0) draw(box);
        break;
      case MappingNotify:
        XRefreshKeyboardMapping(&e.xmapping);
        break;
      case ClientMessage:
        // A Yes/No box has no way out but its two answers: a stray close must not end the game.
        // The request is still taken, so the window manager never kills the connection instead.
        if (e.xclient.message_type == box.protocols && static_cast<Atom>(e.xclient.data.l[0]) == box.deleteWindow &&
            style == SYS_BOX_OK)
          return SYS_ANSWER_OK;
        break;
      case KeyPress:  // a key counts once it is released; see keyAnswer
        if (heldBefore(box, e.xkey.keycode)) break;
        box.keyDown = e.xkey.keycode;
        if (keyMovesFocus(e.xkey)) {
          box.focused = (box.focused + 1) % box.buttonCount;
          draw(box);
        }
        break;
      case KeyRelease:
        forgetHeld(box, e.xkey.keycode);
        if (e.xkey.keycode == box.keyDown) {
          box.keyDown = 0;
          SysBoxAnswer answer;
          if (keyAnswer(box, e.xkey, style, &answer)) return answer;
        }
        break;
      case ButtonPress:
        if (e.xbutton.button == Button1 && (box.pressed = buttonAt(box, e.xbutton.x, e.xbutton.y)) >= 0) {
          box.focused = box.pressed;
          box.pressedInside = true;
          draw(box);
        }
        break;
      case MotionNotify:
        if (box.pressed >= 0) {
          bool inside = buttonAt(box, e.xmotion.x, e.xmotion.y) == box.pressed;
          if (inside != box.pressedInside) box.pressedInside = inside, draw(box);
        }
        break;
      case ButtonRelease:
        if (e.xbutton.button == Button1 && box.pressed >= 0) {
          int released = buttonAt(box, e.xbutton.x, e.xbutton.y);
          if (released == box.pressed) return box.buttons[released].answer;
          box.pressed = -1;
          draw(box);
        }
        break;
      default:
        break;
    }
  }
}

// A box raised while the program's window is still being made would lose the keyboard to it
// as soon as it shows (SDL 2 gives a window it shows the focus): let the window come first.
static void awaitProgramWindow() {
  if (Sys_IsMainThread() || !SDL_WasInit(SDL_INIT_VIDEO)) return;
  for (int look = 0; look < 500 && Sys_WindowHandleState() == SYS_WINDOW_NOT_YET; look++) Sys_Sleep(10);
}

SysBoxAnswer Sys_MessageBox(const std::string& text, const std::string& caption, SysBoxStyle style) {
  awaitProgramWindow();
  Box box;
  box.display = XOpenDisplay(nullptr);
  if (box.display == nullptr) return SysShared_AnswerWithoutDisplay(text, caption, style);
  SysBoxAnswer answer;
  if (openBox(box, text, caption, style)) {
    answer = runBox(box, style);
    XDestroyWindow(box.display, box.window);
    XFreeGC(box.display, box.gc);
  } else {
    answer = SysShared_AnswerWithoutDisplay(text, caption, style);
  }
  if (box.font != nullptr) XFreeFont(box.display, box.font);
  XCloseDisplay(box.display);
  return answer;
}
