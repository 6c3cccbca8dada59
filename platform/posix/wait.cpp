// wait.cpp: how the threads sleep until they have work and wake one another, on Linux.
//
// Owns the main thread's wake descriptor (an eventfd, made once at start-up before the other
// threads exist, never closed) and the end signals' chained handlers. Any thread (and a signal
// handler) may write the descriptor; only the main thread waits on it (beside the window
// system's connection, in the window system's folder) and drains it.
#include "platform/platform.h"
#include "platform/posix/wake_descriptor.h"

#include <linux/futex.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <ctime>

static int wakeDescriptor = -1;

void Sys_NameThread(const char* name) { pthread_setname_np(pthread_self(), name); }

std::string Sys_ThreadName() {
  char name[16] = "";
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

void Sys_WakeMainThread() {
  if (wakeDescriptor < 0) return;
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(wakeDescriptor, &one, sizeof one);
}

// A termination signal reaches whichever thread the kernel picks; the library's own handler
// only queues the close for the main thread's next event pass, so the main thread is woken too.
static struct sigaction libraryHandler[2];
static const int endSignals[2] = {SIGTERM, SIGINT};

static void onEndSignal(int signal) {
  const struct sigaction& chained = libraryHandler[signal == SIGINT ? 1 : 0];
  if (chained.sa_flags & SA_SIGINFO) {
    chained.sa_sigaction(signal, nullptr, nullptr);
  } else if (chained.sa_handler != SIG_DFL && chained.sa_handler != SIG_IGN) {
    chained.sa_handler(signal);
  }
  Sys_WakeMainThread();
}

// A closed terminal or a session's end (SIGHUP) ends the program the way SIGTERM does: it is
// sent on as one, so the same handler (the library's, or the system's) takes it.
static void onHangUp(int) { kill(getpid(), SIGTERM); }

void Sys_InitWakes() {
  wakeDescriptor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  struct sigaction hangUp {};
  sigaction(SIGHUP, nullptr, &hangUp);
  // Left alone when ignored: the user asked for a program that outlives its terminal (nohup).
  if (!(hangUp.sa_flags & SA_SIGINFO) && hangUp.sa_handler == SIG_DFL) {
    hangUp.sa_handler = onHangUp;
    sigemptyset(&hangUp.sa_mask);
    hangUp.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &hangUp, nullptr);
  }
  for (int i = 0; i < 2; i++) {
    struct sigaction current {};
    sigaction(endSignals[i], nullptr, &current);
    // A signal the library leaves to the system ends the process by itself.
    if (!(current.sa_flags & SA_SIGINFO) && (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN)) continue;
    libraryHandler[i] = current;
    struct sigaction ours {};
    ours.sa_handler = onEndSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART;
    sigaction(endSignals[i], &ours, nullptr);
  }
}

int SysPosix_WakeDescriptor() { return wakeDescriptor; }

void SysPosix_DrainWakes() {
  uint64_t count;
  [[maybe_unused]] ssize_t read_ = read(wakeDescriptor, &count, sizeof count);
}

void Sys_WaitWord(std::atomic<uint32_t>* word, uint32_t expected, int32_t timeoutMs) {
  timespec limit{timeoutMs / 1000, long(timeoutMs % 1000) * 1000000L};
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, timeoutMs < 0 ? nullptr : &limit,
          nullptr, 0);
}

void Sys_WakeWord(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}
