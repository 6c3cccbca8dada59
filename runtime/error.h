// error.h: numbered runtime errors.
//
// An operation that is misused raises an error with Runtime_Error and returns at once. The first
// error of a step is kept in pendingError and shown at the end of that step by the error dialog
// (run from Event_Check); while it is pending every media operation does nothing and returns
// its neutral result. Fatal codes (11, 257, 502 to 518) show their box at once and end the
// process with exit code 0.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// Error waiting for the next event check, 0 = none. Written by the game thread (raise, clear).
extern std::atomic<int32_t> pendingError;
// Step number of the step that raised pendingError, shown as its line.
extern int32_t errorLine;

// True while an error is pending: every media operation tests this first.
inline bool Error_Pending() { return pendingError.load(std::memory_order_relaxed) != 0; }

// Raise error n. Returns for queued codes; never returns for fatal ones. A second error in the
// same step is dropped; a code of 0 or less becomes 5.
void Runtime_Error(int32_t n);

// Text of error n from the message table, "Unprintable error" for a code without one.
const char* Error_Message(int32_t n);

// Text and caption of the dialog for error n raised in step line.
void Error_DialogText(int32_t n, int32_t line, std::string* text, std::string* caption);

// Critical codes (300 to 313) end the process after their box; the others ask to continue.
bool Error_IsCritical(int32_t n);

// The error dialog for pendingError (game thread, from Event_Check): Yes clears the error and
// returns, No ends the program, a critical code ends the process after its box. The dialog
// needs the window, so the program's top floor sets it at start-up; without one it does nothing.
void Error_SetDialog(void (*dialog)());
void Error_RunDialog();

// Installed by the game thread at its start: an integer division by zero raises error 11.
void Error_CatchArithmeticFaults();
