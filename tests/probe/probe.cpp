// probe: the runtime under small stand-in games, for the end-to-end tests. BRINE_PROBE names
// the stand-in; each one says on standard output what it got to, one line at a time.
//   idle      steps for ever
//   error     raises error 5 in step 286 and says when the step after it runs, again and again
//   critical  raises the critical error 300
//   fatal     raises the fatal out-of-memory error 502
//   divide    divides an integer by zero
//   timer     runs timer 0 every 0.25 s and says when each tick runs
//   quit      ends the program itself after a few steps
//   throw     fails an allocation deep in a step
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/image.h"
#include "graphics/present.h"
#include "graphics/screen.h"
#include "runtime/clock.h"
#include "runtime/error.h"
#include "runtime/event.h"
#include "host/host.h"

static void step(int32_t number) {
  Clock_Delay(0.05);
  Event_Check(number);
}

static void idle() {
  for (;;) step(1);
}

static void error() {
  for (int round = 1;; round++) {
    for (int i = 0; i < 4; i++) step(1);
    Runtime_Error(5);
    Event_Check(286);
    std::printf("step 287 ran after error %d\n", round);
    Event_Check(287);
  }
}

// An 800 x 600 page (full screen has a mode for it); once the test has switched to full
// screen, an error box, and after it the window's state.
static void fullScreenError() {
  Screen_Set(Image_New(800, 600));
  for (int i = 0; i < 600 && !Present_IsFullScreen(); i++) step(1);
  std::printf("full screen %d\n", Present_IsFullScreen() ? 1 : 0);
  Runtime_Error(5);
  Event_Check(286);
  std::printf("after the box: full screen %d\n", Present_IsFullScreen() ? 1 : 0);
  idle();
}

static void critical() {
  step(1);
  Runtime_Error(300);
  Event_Check(286);
  std::printf("went on after a critical error\n");
  idle();
}

static void fatal() {
  step(1);
  Runtime_Error(502);
  std::printf("went on after a fatal error\n");
  idle();
}

// The fault must reach the processor, also in builds that check divisions themselves.
__attribute__((no_sanitize("integer-divide-by-zero"))) static void divide() {
  step(1);
  volatile int dividend = 7, divisor = 0;
  volatile int quotient = dividend / divisor;
  std::printf("went on after dividing by zero: %d\n", quotient);
  idle();
}

static void fail() {
  step(1);
  throw std::bad_alloc();
}

static std::chrono::steady_clock::time_point started;

static void onTick() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  std::printf("tick %lld\n", static_cast<long long>(ms.count()));
}

static void timer() {
  started = std::chrono::steady_clock::now();
  TimerEvent_Define(0, 0.25, onTick);
  TimerEvent_Control(0, TIMER_ON, false);
  idle();
}

static void quit() {
  for (int i = 0; i < 5; i++) step(1);
  std::printf("ending\n");
  Program_End();
}

int main() {
  static const struct {
    const char* name;
    GameEntry entry;
  } probes[] = {{"idle", idle},     {"error", error}, {"critical", critical}, {"fatal", fatal},
                {"divide", divide}, {"timer", timer}, {"quit", quit},
                {"fullscreen_error", fullScreenError}, {"throw", fail}};
  const char* wanted = std::getenv("BRINE_PROBE");
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  for (const auto& probe : probes)
    if (wanted != nullptr && std::strcmp(wanted, probe.name) == 0) return Host_Run(probe.entry);
  std::fprintf(stderr, "probe: set BRINE_PROBE to idle, error, critical, fatal, divide, timer, quit, fullscreen_error or throw\n");
  return 2;
}
