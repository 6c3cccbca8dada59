// wake_descriptor.h: the main thread's wake descriptor, shared inside the platform layer with
// the window system's wait, which sleeps on it beside its own connection.
#pragma once

// The eventfd that Sys_WakeMainThread writes; -1 before Sys_InitWakes.
int SysPosix_WakeDescriptor();
// Main thread, after its sleep saw the descriptor readable: reset it.
void SysPosix_DrainWakes();
