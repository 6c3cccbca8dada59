// program_window.h: the program's own window for the other Windows files of this folder.
#pragma once

#include <windows.h>

// SDL's top-level window once the first mode set has made it known; nullptr before, and with a
// video driver that has none.
HWND Win_ProgramWindow();
