// window_report.cpp: the place of the top-level window with a given caption as Windows reports
// it, for the end-to-end test, which sees only the X server's side: the frame (GetWindowRect),
// the client area in screen coordinates and the desktop's size.
//   window_report CAPTION   prints "frame L T R B client L T R B desktop W H"
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  HWND window = argc == 2 ? FindWindowW(nullptr, argv[1]) : nullptr;
  RECT frame, client, desktop;
  if (window == nullptr || !GetWindowRect(window, &frame) || !GetClientRect(window, &client) ||
      !GetWindowRect(GetDesktopWindow(), &desktop))
    return 1;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::printf("frame %ld %ld %ld %ld client %ld %ld %ld %ld desktop %ld %ld\n", frame.left, frame.top,
              frame.right, frame.bottom, client.left, client.top, client.right, client.bottom,
              desktop.right - desktop.left, desktop.bottom - desktop.top);
  return 0;
}
