// error.cpp: the pending runtime error, the message table and the hook to the error dialog.
// pendingError and errorLine belong to the game thread; fatal codes may be raised anywhere.
#include "runtime/error.h"

#include "platform/platform.h"
#include "runtime/program.h"

std::atomic<int32_t> pendingError{0};
int32_t errorLine = 0;
// The box that answers a pending error, set once by the program's top floor before the game
// thread starts; none in a test that drives the stores alone (the error then stays pending).
static void (*errorDialog)() = nullptr;

struct ErrorText {
  int32_t code;
  const char* text;
};

// Codes 1 to 76 are the classic ones; 258 and 300 to 313 belong to handles and memory regions.
static const ErrorText messageTable[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

const char* Error_Message(int32_t n) {
  for (const ErrorText& entry : messageTable)
    if (entry.code == n) return entry.text;
  return "Unprintable error";
}

bool Error_IsCritical(int32_t n) { return n >= 300 && n <= 313; }

[[noreturn]] static void fatalError(const std::string& text, const std::string& caption) {
  Sys_MessageBox(text, caption, SYS_BOX_OK);
  Program_ExitAfterFatalError();
}

void Runtime_Error(int32_t n) {
  if (n == 11) fatalError("Division by zero", "Critical Error");
  if (n == 257) fatalError("Out of memory", "Critical Error #1");
  if (n >= 502 && n <= 518) fatalError("Out of memory", "Critical Error #" + std::to_string(n - 500));
  if (pendingError.load(std::memory_order_relaxed) != 0) return;
  if (n <= 0) n = 5;
  pendingError.store(n, std::memory_order_relaxed);
  eventCheckPending.store(1);
}

void Error_DialogText(int32_t n, int32_t line, std::string* text, std::string* caption) {
  *text = "Line:" + std::to_string(line) + "\n" + Error_Message(n);
  if (Error_IsCritical(n)) {
    *caption = "Critical Error #" + std::to_string(n);
  } else {
    *text += "\nContinue?";
    *caption = "Unhandled Error #" + std::to_string(n);
  }
}

void Error_SetDialog(void (*dialog)()) { errorDialog = dialog; }

void Error_RunDialog() {
  if (errorDialog != nullptr) errorDialog();
}

static void onArithmeticFault() { Runtime_Error(11); }

void Error_CatchArithmeticFaults() { Sys_OnArithmeticFault(onArithmeticFault); }
