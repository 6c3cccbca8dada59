// switch_frames: the screen grabbed every 10 ms through a switch to full screen and back, each
// frame held against the two pictures the player should see: the window at its place, and full
// screen. Between them only black is allowed.
//   switch_frames grab FILE              the whole screen into FILE (raw RGB after a "W H" line)
//   switch_frames watch WINDOW FULL ID [DUMP]
// watch starts with the window (ID, at its place) on screen as in WINDOW, and ends once the
// screen has shown FULL for 10 frames in a row ("full" is printed then, so that the caller can
// switch back) and then WINDOW for 10, or anything else for 60. A frame is wrong where more than
// 500 of its pixels (every other one of every other row is looked at) match neither picture nor
// black; the window's decorations may take any colour. Wrong frames go to DUMP (when named) as
// PPM pictures at a quarter of the size. Prints the count of frames of each kind; exit code 0
// when no frame was wrong, 1 otherwise, 2 when the screen cannot be read or nothing settles
// within 20 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static Display* display;
static XImage* image;
static XShmSegmentInfo shm;
static int width, height;

static bool openScreen() {
  display = XOpenDisplay(nullptr);
  if (display == nullptr || !XShmQueryExtension(display)) return false;
  int screen = DefaultScreen(display);
  width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
  image = XShmCreateImage(display, DefaultVisual(display, screen), unsigned(DefaultDepth(display, screen)), ZPixmap,
                          nullptr, &shm, unsigned(width), unsigned(height));
  if (image == nullptr || image->bits_per_pixel != 32) return false;
  shm.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * height, IPC_CREAT | 0600);
  shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  bool attached = XShmAttach(display, &shm);
  XSync(display, False);
  shmctl(shm.shmid, IPC_RMID, nullptr);
  return attached;
}

static bool grab() { return XShmGetImage(display, DefaultRootWindow(display), image, 0, 0, AllPlanes); }

static uint32_t pixel(int x, int y) {
  return reinterpret_cast<uint32_t*>(image->data + size_t(y) * image->bytes_per_line)[x] & 0xFFFFFF;
}

static bool save(const std::string& path, int step) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  int w = width / step, h = height / step;
  std::fprintf(f, step == 1 ? "%d %d\n" : "P6\n%d %d\n255\n", w, h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint32_t c = pixel(x * step, y * step);
      unsigned char rgb[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
      std::fwrite(rgb, 1, 3, f);
    }
  return std::fclose(f) == 0;
}

static bool load(const char* path, std::vector<uint32_t>* to) {
  FILE* f = std::fopen(path, "rb");
  int w = 0, h = 0;
  if (f == nullptr || std::fscanf(f, "%d %d", &w, &h) != 2 || std::fgetc(f) != '\n' || w != width || h != height) return false;
  to->resize(size_t(w) * h);
  for (uint32_t& c : *to) {
    unsigned char rgb[3];
    if (std::fread(rgb, 1, 3, f) != 3) return false;
    c = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
  }
  std::fclose(f);
  return true;
}

static bool near(uint32_t a, uint32_t b) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(int(a >> s & 255) - int(b >> s & 255)) > 8) return false;
  return true;
}

// The window's frame on the screen: decorations, which change with the focus, are not compared.
struct Rect {
  int x1, y1, x2, y2;
  bool holds(int x, int y) const { return x >= x1 && y >= y1 && x < x2 && y < y2; }
};

static bool frameOf(Window w, Rect* frame, Rect* client) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, w, &a)) return false;
  int cx, cy;
  Window child;
  XTranslateCoordinates(display, w, a.root, 0, 0, &cx, &cy, &child);
  *client = {cx, cy, cx + a.width, cy + a.height};
  *frame = *client;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Atom atom = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  if (XGetWindowProperty(display, w, atom, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      count == 4) {
    long* e = reinterpret_cast<long*>(data);
    *frame = {cx - int(e[0]), cy - int(e[2]), client->x2 + int(e[1]), client->y2 + int(e[3])};
  }
  if (data != nullptr) XFree(data);
  return true;
}

enum Kind { WINDOW, FULL, BLACK, BETWEEN, WRONG };

static Kind classify(const std::vector<uint32_t>& window, const std::vector<uint32_t>& full, const Rect& frame,
                     const Rect& client) {
  int wrong = 0;
  bool isWindow = true, isFull = true, isBlack = true;
  for (int y = 0; y < height; y += 2)
    for (int x = 0; x < width; x += 2) {
      uint32_t c = pixel(x, y), w = window[size_t(y) * width + x], f = full[size_t(y) * width + x];
      bool decoration = frame.holds(x, y) && !client.holds(x, y);
      bool w1 = decoration || near(c, w), f1 = near(c, f), b1 = near(c, 0);
      isWindow &= w1, isFull &= f1, isBlack &= b1 || decoration;
      if (!w1 && !f1 && !b1) wrong++;
    }
  if (wrong > 500) return WRONG;
  return isWindow ? WINDOW : isFull ? FULL : isBlack ? BLACK : BETWEEN;
}

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (!openScreen() || !grab()) {
    std::fprintf(stderr, "switch_frames: cannot read the screen\n");
    return 2;
  }
  if (mode == "grab" && argc == 3) return save(argv[2], 1) ? 0 : 2;
  std::vector<uint32_t> window, full;
  Rect frame{}, client{};
  if (mode != "watch" || argc < 5 || !load(argv[2], &window) || !load(argv[3], &full) ||
      !frameOf(Window(std::strtoul(argv[4], nullptr, 0)), &frame, &client)) {
    std::fprintf(stderr, "usage: switch_frames grab FILE | watch WINDOW FULL ID [DUMP]\n");
    return 2;
  }
  const char* dump = argc > 5 ? argv[5] : nullptr;
  int counts[5] = {}, run = 0, stage = 0, frames = 0;  // stage 0: before full screen, 1: in it, 2: back
  Kind last = WINDOW;
  std::printf("watching\n");
  std::fflush(stdout);
  auto start = std::chrono::steady_clock::now(), next = start;
  // Back from full screen, the screen settles on the window or on what stands in its place.
  while (!(stage == 2 && run >= 10 && last == WINDOW) && !(stage >= 1 && last != FULL && run >= 60)) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
      std::fprintf(stderr, "switch_frames: no settled %s after 20 s\n", stage == 0 ? "full screen" : "window");
      return 2;
    }
    next += std::chrono::milliseconds(10);
    if (!grab()) return 2;
    Kind kind = classify(window, full, frame, client);
    counts[kind]++, frames++;
    run = kind == last ? run + 1 : 1;
    last = kind;
    if (kind == WRONG && dump != nullptr) save(std::string(dump) + "/frame-" + std::to_string(frames) + ".ppm", 4);
    if (stage == 0 && kind == FULL && run == 10) stage = 1, std::printf("full\n"), std::fflush(stdout);
    if (stage == 1 && kind == WINDOW) stage = 2;
    auto now = std::chrono::steady_clock::now();
    if (next > now) usleep(unsigned(std::chrono::duration_cast<std::chrono::microseconds>(next - now).count()));
    else next = now;
  }
  std::printf("%d frames: %d window, %d full screen, %d black, %d between, %d wrong\n", frames, counts[WINDOW],
              counts[FULL], counts[BLACK], counts[BETWEEN], counts[WRONG]);
  return counts[WRONG] == 0 ? 0 : 1;
}
