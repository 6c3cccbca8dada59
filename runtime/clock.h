// clock.h: the time of day, the blocking delay and the 24-bit random generator.
//
// tickBase and msAtTickBase are taken once at start-up and put on a second boundary; the clock
// then runs on SDL's millisecond counter. randomState starts at 0x50000. Game thread only, apart
// from the start-up that takes the base. While a runtime error is pending every operation
// returns at once with 0.
#pragma once

#include <cstdint>

extern uint32_t tickBase;      // SDL_GetTicks() at the base
extern uint32_t msAtTickBase;  // local time of day at the base, whole seconds in ms
extern uint32_t randomState;   // 24 bits

// Start-up (main thread): read the calendar time once and take the base at the start of its
// second.
void Clock_TakeBase();

// Seconds since midnight. Without accuracy: in steps of 1 / 18.2 s, single precision. With
// accuracy a > 0: in steps of a. Error 5 for an accuracy of 0 or less.
double Clock_Seconds(double accuracy, bool accuracyGiven);
// Block the game thread for the given seconds (0 to 2,147,483.647, else error 5).
void Clock_Delay(double seconds);

// Tests use this to run the game without its waits: while a hook is set, Clock_Delay hands it
// the milliseconds it would sleep and returns when the hook returns. nullptr sleeps again.
using ClockDelayHook = void (*)(uint32_t ms);
void Clock_SetDelayHook(ClockDelayHook hook);

// Seed from the upper half of the double's bit pattern; the low byte of the old state stays.
void Random_Seed(double seed);
// Next value in [0, 1): x 0 repeats the last value, x < 0 restarts the sequence from x.
float Random_Next(float x, bool xGiven);

// Pure parts, for the operations above and their tests.
// Clock_Seconds at ms milliseconds after midnight (the accuracy already checked).
double Clock_SecondsAt(uint32_t ms, double accuracy, bool accuracyGiven);
// The base from SDL's tick count and the local time of day in ms read at the same moment.
void Clock_SetBase(uint32_t ticks, uint32_t msOfDay);
// Milliseconds after midnight at SDL tick count ticks, from the clock base, wrapping in 32 bits.
uint32_t Clock_MsOfDay(uint32_t ticks);
// The milliseconds Clock_Delay sleeps for seconds (truncated toward zero); -1 out of range.
int64_t Clock_DelayMs(double seconds);
