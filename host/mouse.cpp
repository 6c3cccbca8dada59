// mouse.cpp: the mouse queue and the motion-skip counter.
//
// The queue is a ring of 65,536 records with two indices. The main thread (event pass and
// presentation) writes records and the newest index; the game thread moves the current index
// with Mouse_Input and reads the record under it. Each record is written before the index
// that publishes it (release) and read after loading that index (acquire).
//
// When the ring is full the main thread moves the current index on itself, so the oldest
// unread record is lost and the newest is always kept. That is the one write of the main thread
// to the game thread's index: both sides move it with compare-and-swap, so neither move is
// lost, and the record the main thread then overwrites may be the one the game is reading.
// The record fields are therefore written with release and read with acquire, and a reader
// checks after copying a record that the current index did not move meanwhile (a sequence-lock
// read with the current index as the sequence): a copy that saw any write made after the move
// also sees the move, and is retried from the new current record.
#include "host/mouse.h"

#include <SDL.h>

#include <atomic>

#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "host/input_events.h"
#include "runtime/wake.h"

static constexpr int32_t queueMask = MOUSE_QUEUE_SIZE - 1;

static struct {
  MouseRecord records[MOUSE_QUEUE_SIZE];
  std::atomic<int32_t> newest{0};               // record written last; main thread
  std::atomic<int32_t> current{0};              // record the game reads; game thread, overflow
  std::atomic<int32_t> motionSkip{1};           // motions still stored without movement
} mouse;

static void storeRecord(int32_t slot, const MouseRecord& r) {
  MouseRecord& to = mouse.records[slot];
  std::atomic_ref<int16_t>(to.x).store(r.x, std::memory_order_release);
  std::atomic_ref<int16_t>(to.y).store(r.y, std::memory_order_release);
  std::atomic_ref<int32_t>(to.buttons).store(r.buttons, std::memory_order_release);
  std::atomic_ref<int16_t>(to.moveX).store(r.moveX, std::memory_order_release);
  std::atomic_ref<int16_t>(to.moveY).store(r.moveY, std::memory_order_release);
}

static MouseRecord loadRecord(int32_t slot) {
  MouseRecord& from = mouse.records[slot];
  MouseRecord r;
  r.x = std::atomic_ref<int16_t>(from.x).load(std::memory_order_acquire);
  r.y = std::atomic_ref<int16_t>(from.y).load(std::memory_order_acquire);
  r.buttons = std::atomic_ref<int32_t>(from.buttons).load(std::memory_order_acquire);
  r.moveX = std::atomic_ref<int16_t>(from.moveX).load(std::memory_order_acquire);
  r.moveY = std::atomic_ref<int16_t>(from.moveY).load(std::memory_order_acquire);
  return r;
}

// ---- main thread ---------------------------------------------------------------------------

void Mouse_Append(const MouseRecord& record) {
  int32_t n = (mouse.newest.load(std::memory_order_relaxed) + 1) & queueMask;
  // A full ring: the game may be copying record n right now, and sees the index move on.
  int32_t full = n;
  mouse.current.compare_exchange_strong(full, (n + 1) & queueMask, std::memory_order_acq_rel);
  storeRecord(n, record);
  mouse.newest.store(n, std::memory_order_release);
  Wake_Game();
}

static MouseRecord newestRecord() { return loadRecord(mouse.newest.load(std::memory_order_relaxed)); }

void Mouse_InitQueueAt(int16_t x, int16_t y) {
  storeRecord(0, MouseRecord{x, y, 0, 0, 0});
  mouse.newest.store(0, std::memory_order_release);
  mouse.current.store(0, std::memory_order_release);
  mouse.motionSkip = 1;
}

void Mouse_InitQueue() {
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  Mouse_InitQueueAt(int16_t(x), int16_t(y));
}

void Mouse_RestartQueueAt(int16_t x, int16_t y) {
  Mouse_Append(MouseRecord{x, y, newestRecord().buttons, 0, 0});
  mouse.current.store(mouse.newest.load(std::memory_order_relaxed), std::memory_order_release);
}

void Mouse_RestartQueue() {
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  Mouse_RestartQueueAt(int16_t(x), int16_t(y));
  // The motions that the new surface itself brings carry no movement.
  mouse.motionSkip = 4;
}

void Mouse_SetMotionSkip(int32_t count) { mouse.motionSkip = count; }

// Bit (button - 1) of a button set; SDL numbers buttons from 1, and no bit exists past 32.
static int32_t buttonBit(uint8_t button) { return button >= 1 && button <= 32 ? int32_t(1u << (button - 1)) : 0; }

void Mouse_OnEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION: {
      const SDL_MouseMotionEvent& m = event.motion;
      MouseRecord r{int16_t(m.x), int16_t(m.y), m.state, m.xrel, m.yrel};
      if (mouse.motionSkip.load(std::memory_order_relaxed) > 0) {
        r.moveX = r.moveY = 0;
        mouse.motionSkip.fetch_sub(1, std::memory_order_relaxed);
      }
      Mouse_Append(r);
      r.moveX = r.moveY = 0;
      Mouse_Append(r);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const SDL_MouseButtonEvent& b = event.button;
      int32_t buttons = newestRecord().buttons;
      buttons = event.type == SDL_MOUSEBUTTONDOWN ? buttons | buttonBit(b.button) : buttons & ~buttonBit(b.button);
      Mouse_Append(MouseRecord{int16_t(b.x), int16_t(b.y), buttons, 0, 0});
      break;
    }
    default: break;
  }
}

// ---- game thread ---------------------------------------------------------------------------

MouseRecord Mouse_Current() {
  for (;;) {
    int32_t c = mouse.current.load(std::memory_order_acquire);
    MouseRecord r = loadRecord(c);
    if (mouse.current.load(std::memory_order_relaxed) == c) return r;
  }
}

int32_t Mouse_Input() {
  if (Error_Pending()) return 0;
  uint32_t news = Wake_GameNews();
  for (;;) {
    int32_t c = mouse.current.load(std::memory_order_acquire);
    if (c == mouse.newest.load(std::memory_order_acquire)) {
      // Every wait of the game for the mouse ends in empty reads; the second in a row with
      // nothing new between them sleeps until the next record, key or step-end request.
      Wake_GameRestAfterEmptyRead(news);
      return 0;
    }
    if (mouse.current.compare_exchange_weak(c, (c + 1) & queueMask, std::memory_order_acq_rel)) return -1;
  }
}

// The page pixel under the current record, through the presentation's offset and scale.
float Mouse_X() {
  if (Error_Pending()) return 0;
  MouseRecord r = Mouse_Current();
  int32_t x, y;
  Present_WindowToPage(r.x, r.y, &x, &y);
  return float(x);
}

float Mouse_Y() {
  if (Error_Pending()) return 0;
  MouseRecord r = Mouse_Current();
  int32_t x, y;
  Present_WindowToPage(r.x, r.y, &x, &y);
  return float(y);
}

int32_t Mouse_Button(int32_t n) {
  if (Error_Pending()) return 0;
  if (n < 1) {
    Runtime_Error(5);
    return 0;
  }
  // The game numbers the right button 2 and the middle one 3; the record follows SDL's order.
  static const int32_t bitOfButton[4] = {0, 1 << 0, 1 << 2, 1 << 1};
  if (n > 3) return 0;
  return (Mouse_Current().buttons & bitOfButton[n]) != 0 ? -1 : 0;
}

// The pointer is put back where it is around the change, so the display does not move it.
// Where it is means the window system's pointer now: SDL's own position is only as new as the
// main thread's last event pass, and a warp there would pull a moving pointer back by up to a
// pass's worth of movement. A pointer outside the window is left where it is.
static void warpInPlace() {
  int32_t x = 0, y = 0;
  SysPointerPlace place = Sys_PointerPosition(&x, &y);
  if (place == SYS_POINTER_OUTSIDE) return;
  if (place == SYS_POINTER_UNKNOWN) {
    int sx = 0, sy = 0;
    SDL_GetMouseState(&sx, &sy);
    x = sx, y = sy;
  }
  SDL_WarpMouse(Uint16(x), Uint16(y));
}

// The game calls these for every mouse record; only a real change of visibility is made, so
// a pointer that goes on moving on one side of the change is never touched.
void Mouse_Hide() {
  if (Error_Pending()) return;
  WakeMainAfter wake;
  Present_TakePointerVisibility();
  if (!Present_PointerShown()) return;
  warpInPlace();
  Present_ShowPointer(false);
  warpInPlace();
}

void Mouse_Show() {
  if (Error_Pending()) return;
  WakeMainAfter wake;
  Present_TakePointerVisibility();
  if (SDL_WM_GrabInput(SDL_GRAB_QUERY) == SDL_GRAB_ON) SDL_WM_GrabInput(SDL_GRAB_OFF);
  if (Present_PointerShown()) return;
  warpInPlace();
  Present_ShowPointer(true);
  warpInPlace();
}
