// host.h: the program's top floor: start-up, the main loop and its event pass, and shutdown.
//
// The main thread starts everything, then sleeps until the window system, a drawn page or
// another thread has something for it; it reads every waiting event and presents the page when
// it changed, until endRequested is set or the window is closed.
#pragma once

#include <string>

#include "runtime/program.h"

// The whole life of the process: start-up, the main loop, shutdown. Exits the process with
// code 0 (100 when SDL cannot start, 7000 when the font engine cannot start, 10001 when the
// audio device cannot be opened); returns 0 only when a thread cannot be created.
int Host_Run(GameEntry entry);

// hook runs once at the program's orderly end (a window close, the quit key, Break, "No" in the
// error box, SIGTERM, SIGHUP), on the main thread once the game thread has stopped, before the
// exit; or, should the display be lost, on the thread that met the loss while the others run.
void Host_OnShutdown(void (*hook)());

// The folder of an executable path: cut at the last '\\' or '/', or just after the last ':'.
// A path without any of them is returned whole.
std::string Host_FolderOf(const std::string& path);
