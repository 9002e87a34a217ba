#include "interrupts.h"

#include <signal.h>

#include <atomic>
#include <cerrno>

namespace interrupts {
namespace {

// One show runs at a time; room to spare.
constexpr int kWatched = 4;

std::atomic<int> watched[kWatched];
std::atomic<int> signalCaught{0};

static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

void onSignal(int number) {
  const int savedErrno = errno;  // the code interrupted may be about to read it
  signalCaught.store(number);
  for (std::atomic<int>& pid : watched) {
    const int p = pid.load();
    if (p > 0) ::kill(p, SIGTERM);
  }
  errno = savedErrno;
}

}  // namespace

void catchThem() {
  struct sigaction action {};
  action.sa_handler = onSignal;
  // The capture goes on reading the show's lines until the show has gone.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGINT, SIGHUP, SIGTERM}) {
    // One the capture was started to ignore (nohup, a background job's
    // SIGINT) stays ignored.
    struct sigaction before {};
    if (::sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(number, &action, nullptr);
  }
}

void watch(int pid) {
  for (std::atomic<int>& slot : watched) {
    int empty = 0;
    if (slot.compare_exchange_strong(empty, pid)) break;
  }
  // Started just as the signal came: it would not have been told.
  if (signalCaught.load() != 0) ::kill(pid, SIGTERM);
}

void forget(int pid) {
  for (std::atomic<int>& slot : watched) {
    int known = pid;
    slot.compare_exchange_strong(known, 0);
  }
}

int caught() { return signalCaught.load(); }

}  // namespace interrupts
