// platform.h: the operating-system services the runtime needs beyond SDL.
//
// The few calls the runtime makes of the system (module path, working directory, sleep, keyboard
// lock state, message box, window placement, file reading), each written from what the runtime
// expects of it. This folder is the only code that includes the system's headers: posix/ (files,
// the process, sleeping waits) and x11/ (the display and the wait on its connection, the window,
// the message box, the keyboard's state) on Linux, windows/ on Windows. Functions say which
// thread may call them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// ---- process -----------------------------------------------------------------------------

// On Windows SDL's entry library starts the process (it takes the command line, starts SDL and
// has it end at exit) and calls the program's main under the name SDL's build flags give it,
// which it declares with C linkage.
#if defined(_WIN32) && defined(main)
extern "C" int SDL_main(int argc, char** argv);
#endif

// First thing in main: standard output and error reach the console the program was started
// from (a windowed Windows program gets none of its own) unless they already lead somewhere.
void Sys_UseParentConsole();

// First thing in main: make Xlib safe for use from several threads (the game thread sets the
// caption, moves the window and opens message boxes while the main thread polls events).
void Sys_InitThreads();

// Right after the window system is started: should the display go away under the program, it
// says so on standard error, runs keep (on the thread that met the loss, while the others run
// on) and ends at once with status 1, running no exit handlers (they would wait on the dead
// connection).
void Sys_EndWhenDisplayLost(void (*keep)());

// Next in main: memory blocks of 128 KB and more (pictures, decoded sounds, the decoders'
// buffers) go back to the system as soon as they are freed.
void Sys_InitMemory();

// With no video driver named by the user, ask SDL for the X11 driver, so that a machine without
// a display fails cleanly instead of falling back to a terminal-art driver.
void Sys_PreferWindowSystemVideo();

// Full path of the running executable, at most 65,535 bytes; "" when it cannot be had.
std::string Sys_ExecutablePath();

// Change the working directory; false (and nothing changed) on failure.
bool Sys_ChangeDirectory(const std::string& path);

// Block the calling thread for ms milliseconds; 0 only yields the processor.
void Sys_Sleep(uint32_t ms);

// The calendar time: whole seconds since the epoch and the milliseconds (0 to 999) of the
// second begun; false (nothing set) when the system clock cannot be read.
bool Sys_CalendarTime(int64_t* seconds, uint32_t* ms);

// Install handler as the arithmetic-fault (division by zero) handler of the process.
void Sys_OnArithmeticFault(void (*handler)());

// Give the calling thread a name that tools (top, debuggers, /proc) show; at most 15 bytes.
void Sys_NameThread(const char* name);
std::string Sys_ThreadName();

// ---- waiting -----------------------------------------------------------------------------

// Main thread, after SDL's start-up and before the other threads: make the wake descriptor, and
// have a termination signal (which SDL turns into a window close) wake the main thread.
void Sys_InitWakes();
// Any thread, also in a signal handler: end the main thread's current or next
// Sys_WaitForWindowEvents at once.
void Sys_WakeMainThread();
// Main thread: sleep until the window system has an event for the program, another thread
// called Sys_WakeMainThread, or timeoutMs passed (-1: no limit). Returns at once when events
// already wait in the library's queue.
void Sys_WaitForWindowEvents(int32_t timeoutMs);
// Sleep while *word still holds expected, at most timeoutMs (-1: no limit); may also return
// early for no reason, so callers look again. Sys_WakeWord ends such a sleep on word.
void Sys_WaitWord(std::atomic<uint32_t>* word, uint32_t expected, int32_t timeoutMs);
void Sys_WakeWord(std::atomic<uint32_t>* word);

// True on the thread that called Sys_MarkMainThread (the thread that owns the window).
void Sys_MarkMainThread();
bool Sys_IsMainThread();

// ---- keyboard ----------------------------------------------------------------------------

// Lock and modifier keys as the window system sees them now (bit set of SYS_KEY_*), with
// SYS_KEY_KNOWN set. Any thread; 0 (KNOWN clear) when there is no window system connection.
enum : uint32_t {
  SYS_KEY_SCROLL_LOCK = 1u << 0,
  SYS_KEY_CAPS_LOCK = 1u << 1,
  SYS_KEY_NUM_LOCK = 1u << 2,
  SYS_KEY_LSHIFT = 1u << 3,
  SYS_KEY_RSHIFT = 1u << 4,
  SYS_KEY_LCTRL = 1u << 5,
  SYS_KEY_RCTRL = 1u << 6,
  SYS_KEY_LALT = 1u << 7,
  SYS_KEY_RALT = 1u << 8,
  SYS_KEY_KNOWN = 1u << 31,  // the state was read; without it every key reads as up
};
uint32_t Sys_KeyState();

// ---- message box -------------------------------------------------------------------------

enum SysBoxStyle { SYS_BOX_OK, SYS_BOX_YES_NO };
enum SysBoxAnswer { SYS_ANSWER_OK, SYS_ANSWER_YES, SYS_ANSWER_NO };

// A modal box with text, caption and the buttons of style; blocks the calling thread until it
// is answered (mouse, or keys Y, N, Enter; an OK box also by Escape or a close request, which a
// Yes/No box ignores, so that only a real answer ends the game). The program's own window stays live: the main thread goes on presenting and queueing
// input meanwhile. With no display the box is written to standard error and answered No (OK
// for an OK box).
SysBoxAnswer Sys_MessageBox(const std::string& text, const std::string& caption, SysBoxStyle style);

// ---- window ------------------------------------------------------------------------------

// The native window is learnt once, after the first mode set; until then it is not yet known,
// and with a video driver that has no native window it never is.
enum SysWindowHandle { SYS_WINDOW_NOT_YET, SYS_WINDOW_KNOWN, SYS_WINDOW_NONE };
// Main thread, after every mode set: learn the native window if that has not been tried.
void Sys_WindowFetchHandle();
// Any thread: what Sys_WindowFetchHandle found.
SysWindowHandle Sys_WindowHandleState();

// The window's outer frame on the desktop, decorations included; false without a window.
bool Sys_WindowFrameRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
// The size of the window's client area; false without a window.
bool Sys_WindowClientSize(int32_t* width, int32_t* height);
// Where the pointer is now: over the client area (with its pixel there), outside it, or not
// known because there is no native window. Any thread.
enum SysPointerPlace { SYS_POINTER_UNKNOWN, SYS_POINTER_INSIDE, SYS_POINTER_OUTSIDE };
SysPointerPlace Sys_PointerPosition(int32_t* x, int32_t* y);
// Main thread: put the pointer at pixel (x, y) of the window's client area, straight through
// the window system (the library over SDL 2 skips or undoes its own warp while a switch settles).
void Sys_WarpPointer(int32_t x, int32_t y);
// The size of the desktop; false without a window.
bool Sys_DesktopSize(int32_t* width, int32_t* height);
// The part of the desktop that windows may take (without panels and docks), or the whole
// desktop when the window manager names none; false without a display. Main thread.
bool Sys_WorkAreaSize(int32_t* width, int32_t* height);
// The desktop's scale as its toolkits read it: GDK_SCALE (a whole number from 1) when set, else
// Xft.dpi of the X resource database over 96, rounded down; 1 when neither says more. Main thread.
int32_t Sys_DesktopScale();
// Move the outer frame so that its top-left corner lies at desktop (x, y), size unchanged, and
// remember that place. Game thread; waits (at most a few hundred ms) for the window manager.
void Sys_WindowPlaceFrame(int32_t x, int32_t y);
// The icon (32 x 32 pixels 0xAARRGGBB, shown where alpha is 255) and the minimised caption
// just handed to SDL. A library that publishes only the newer icon property leaves the icon
// pixmap and mask and the minimised caption unset; these fill them in, and leave a window
// that has them alone. Before the native window is known they are kept for it.
void Sys_WindowCompleteIcon(const uint32_t pixels[1024]);
void Sys_WindowCompleteIconName(const std::string& name);

// Main thread, after the window's surface was made again: put the frame back at the place
// remembered by Sys_WindowPlaceFrame or Sys_WindowRememberPlace, if there is one.
void Sys_WindowKeepPlace();
// Main thread, before the window leaves for full screen: remember where its frame stands.
void Sys_WindowRememberPlace();
// Main thread, around the return from full screen: take the window off the desktop before the
// library makes it small again, then show it again with its frame at the remembered place,
// waiting a few hundred ms at most for the window manager. Meanwhile the desktop
// shows, never a window on its way to its size or place.
void Sys_WindowWithdraw();
void Sys_WindowShowAtPlace();
// Main thread: the window manager's frame (title bar and borders) shown or taken away, so that a
// library that grows the window where it stands before it covers the screen grows a black
// window, not a framed one.
void Sys_WindowShowFrame(bool shown);

// Main thread: the screensaver and the display's power saving start their wait again, as if
// the user had touched a key; nothing before the window exists, or when the user lets the
// screensaver run (SDL_VIDEO_ALLOW_SCREENSAVER=1, as both libraries read it).
void Sys_HoldOffScreenSaver();
// Full screen without a change of the display's mode: true, with the size of the monitor the
// window stands on, where full screen is a borderless window over that monitor; false where the
// library's own full screen serves. Main thread.
bool Sys_FullScreenAsWindow(int32_t* width, int32_t* height);
// Main thread, after a borderless window of the monitor's size was made: lay it over the monitor.
void Sys_WindowCoverMonitor();

// ---- files -------------------------------------------------------------------------------

// Why a file could not be opened or read, in the terms the runtime's error numbers need.
enum SysFileFailure {
  SYS_FILE_OK,
  SYS_FILE_NO_PATH,    // a directory named in the path does not exist
  SYS_FILE_DENIED,     // access refused (a directory counts as refused, as it cannot be read)
  SYS_FILE_NOT_FOUND,  // the file is missing, or any other cause
  SYS_FILE_FAILED,     // a read failed for a reason other than access
};

// Open an existing file for reading only; it is never created and other programs may go on
// reading and writing it. Only plain files open. Returns a handle (0 or more), or -1 with
// *failure set. Game thread.
int32_t Sys_FileOpenRead(const std::string& name, SysFileFailure* failure);
// Read up to count bytes at byte offset into buffer. Returns the number read (0 at the end),
// or -1 with *failure set (SYS_FILE_DENIED or SYS_FILE_FAILED).
int64_t Sys_FileRead(int32_t handle, uint64_t offset, void* buffer, uint32_t count, SysFileFailure* failure);
// Size of the open file now (it may grow or shrink while open); -1 when it cannot be had.
int64_t Sys_FileSize(int32_t handle);
// Close a handle from Sys_FileOpenRead.
void Sys_FileClose(int32_t handle);

// ---- kept data (the best scores) ---------------------------------------------------------
// The one file the program writes. Each call says why it failed in *why (the system's words).

// The program's own folder under Sys_DataHome, the character between a path's parts, and the
// environment variable that moves Sys_DataHome, as the system spells them.
#ifdef _WIN32
constexpr char SYS_DATA_FOLDER[] = "Brinemark";
constexpr char SYS_PATH_SEPARATOR = '\\';
constexpr char SYS_DATA_HOME_VARIABLE[] = "APPDATA";
#else
constexpr char SYS_DATA_FOLDER[] = "brinemark";
constexpr char SYS_PATH_SEPARATOR = '/';
constexpr char SYS_DATA_HOME_VARIABLE[] = "XDG_DATA_HOME";
#endif

// The folder for this user's kept data: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share when HOME is one (the home from the user database when HOME is unset or
// relative: the game changes its working folder); on Windows %APPDATA% (the roaming
// application data); "" when none. *existing (when given): the
// part of it that must already be there, the home itself, which kept data never makes.
std::string Sys_DataHome(std::string* existing = nullptr);
// Make folder and every missing folder of it below existing (a folder that must be there), each
// new one open to its owner alone (0700). An existing one is left as it is.
bool Sys_MakeFolders(const std::string& existing, const std::string& folder, std::string* why);
// Whether users other than the owner may write into folder; its permission bits in *mode.
bool Sys_FolderOpenToOthers(const std::string& folder, uint32_t* mode);
// Take the lock of lockFile, a file of its own beside the files it guards (made when missing,
// open to its owner alone, written never), waiting at most waitMs while another process holds
// it. A write lock on a file opened for writing, which network file systems honour. Every
// writer of the guarded files holds it around its read, merge and write, so two never
// interleave. Returns a handle (0 or more) for Sys_FileUnlock, or -1.
int32_t Sys_FileLock(const std::string& lockFile, int32_t waitMs, std::string* why);
void Sys_FileUnlock(int32_t handle);

enum SysWholeRead { SYS_READ_OK, SYS_READ_MISSING, SYS_READ_TOO_LARGE, SYS_READ_NOT_PLAIN, SYS_READ_FAILED };
// Read a whole plain file of at most limit bytes (only limit + 1 are ever read). Anything else
// at path (a folder, a named pipe, a device) is SYS_READ_NOT_PLAIN, and never waited on.
SysWholeRead Sys_FileReadWhole(const std::string& path, size_t limit, std::string* bytes, std::string* why);
// Replace the file at path by one holding bytes, open to its owner alone (0600), so that a
// crash or power cut at any moment leaves the old file or the new one, whole: the new one is
// written beside it (path + ".new", whatever stood at that name removed first, and made afresh),
// flushed to the disk, renamed over it, and the folder is flushed. A symbolic link at path
// stays: the file it points to is replaced, in that file's folder. On failure the old file is
// untouched and the new one removed.
bool Sys_FileReplace(const std::string& path, const std::string& bytes, std::string* why);
// For tests: called (when set) as Sys_FileReplace passes each of these points.
enum SysReplaceStep {
  SYS_REPLACE_OPENED = 1, SYS_REPLACE_HALF_WRITTEN, SYS_REPLACE_WRITTEN, SYS_REPLACE_FLUSHED,
  SYS_REPLACE_RENAMED, SYS_REPLACE_DONE
};
extern void (*Sys_FileReplaceStepHook)(int step);
// Give what is at path (the file a symbolic link there points to) a second name beside it,
// path + suffix, or + suffix + "-2", "-3", ... when that name is taken: an existing file is
// never replaced. A file keeps its name too, so that a replacement of it leaves no moment
// without one; what cannot have two names (a folder) is renamed. Returns the new path, or "".
std::string Sys_FileKeepAside(const std::string& path, const std::string& suffix, std::string* why);

// The local date and time of a calendar second: year, month, day, hour, minute, second.
bool Sys_LocalTime(int64_t seconds, int fields[6]);
