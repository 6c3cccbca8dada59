// wake.h: who wakes whom, so that a waiting game costs the machine nothing.
//
// The game thread's waits (for a key, a click, a page swap, the end of a pause) sleep when they
// find nothing new. The news count moves on everything such a wait can be waiting for: a mouse
// record or a key stored, a step-end request, a sound that ended, a page swap granted, a pause
// ended, shutdown. The main thread sleeps on the window system's connection and is woken when
// it has work that is not a window event: a page drawn, a swap or mode change asked, the end.
#pragma once

#include <cstdint>

// Any thread (also SDL's audio thread): something the game thread may be waiting for happened.
void Wake_Game();
// Game thread: the news count now. Read it before looking at what the wait waits for.
uint32_t Wake_GameNews();
// Start-up, before the game thread: its empty reads may sleep until news from now on, as every
// source of news runs. Until then (a test driving the stores alone) an empty read rests 1 ms.
void Wake_GameSleepsOnNews(bool sleeps);
// Game thread, after a read found nothing, with the count read before the read: sleep until
// news if none came since the previous empty read and the game did not act between them. A
// loop over several sources (a key, then the mouse) thus looks at each of them once more after
// any news before it sleeps.
void Wake_GameRestAfterEmptyRead(uint32_t newsBefore);
// Game thread: the game drew or asked the clock. Its next empty read then rests 1 ms and does
// not sleep until news, so a loop that runs on time (an animation, a poll of the clock) runs on.
void Wake_GameActed();
// Game thread: sleep until the news count differs from newsBefore.
void Wake_GameWait(uint32_t newsBefore);
// Game thread: sleep until the news count differs from newsBefore, or timeoutMs passed.
void Wake_GameWaitFor(uint32_t newsBefore, int32_t timeoutMs);
// Game thread: sleep until done() holds. It is asked again on every news, and, for a flag that
// another thread may change without news, after firstLookMs, then at doubling spans up to a
// second, so a long wait costs about one look a second.
void Wake_GameUntil(bool (*done)(), int32_t firstLookMs);

// Any thread: the main thread has work beside window events.
void Wake_Main();
// Game thread, around its own calls on the window (caption, icon, place, pointer): the answers
// they wait for can bring window events into the library's queue, where the main thread's sleep
// on the connection does not see them; it is woken to read them.
struct WakeMainAfter {
  ~WakeMainAfter() { Wake_Main(); }
};
// Main thread, around its sleep: after Wake_MainWillSleep it looks once more for work, and a
// Wake_Main from then on ends the sleep; Wake_MainAwake when it is back.
void Wake_MainWillSleep();
void Wake_MainAwake();
