// error_dialog.cpp: the error box, shown over the window or after leaving full screen.
// Game thread only; it owns no state of its own.
#include "host/error_dialog.h"

#include <string>

#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/program.h"

// Full screen holds the keyboard and the pointer, so a box could not be answered there: ask the
// presentation for a full-screen state (0, the window) and wait at most 2 s until a pass has
// taken it. Shutdown stops the passes; the box then needs no wait.
static void takeFullScreenState(int32_t state) {
  Present_AskFullScreen(state);
  for (int waited = 0; Present_FullScreenAsked() && !exitRequested.load() && waited < 200; waited++) Sys_Sleep(10);
}

void ErrorDialog_Run() {
  int32_t n = pendingError.load(std::memory_order_relaxed);
  std::string text, caption;
  Error_DialogText(n, errorLine, &text, &caption);
  int32_t fullScreen = Present_FullScreenState();
  if (fullScreen != 0) takeFullScreenState(0);
  if (Error_IsCritical(n)) {
    Sys_MessageBox(text, caption, SYS_BOX_OK);
    Program_ExitAfterFatalError();
  }
  if (Sys_MessageBox(text, caption, SYS_BOX_YES_NO) == SYS_ANSWER_YES) {
    // The window comes back as it was before the box, full screen again if it was.
    if (fullScreen != 0) takeFullScreenState(fullScreen);
    pendingError.store(0, std::memory_order_relaxed);
    return;
  }
  Program_End();
}
