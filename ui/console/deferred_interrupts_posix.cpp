// SIGINT and SIGTERM are blocked in every thread (threads started later
// inherit the mask) and taken by a thread that waits for them (sigwaitinfo),
// which stops the scan at once. Unblocking them at the end, the one taken is
// raised again with its own disposition. Those the program was started with
// ignored or blocked (a shell's background job) are left as they are.
#include "ui/console/deferred_interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>

namespace vostrel {
namespace {

constexpr std::array<int, 2> kInterrupts{SIGINT, SIGTERM};

sigset_t SetOf(unsigned held) {
  sigset_t set;
  sigemptyset(&set);
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if ((held & (1u << i)) != 0) sigaddset(&set, kInterrupts[i]);
  }
  return set;
}

bool Ignored(int signal) {
  struct sigaction action {};
  return sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN;
}

}  // namespace

DeferredInterrupts::DeferredInterrupts() {
  sigset_t blocked;
  if (pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0) return;
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if (sigismember(&blocked, kInterrupts[i]) == 0 && !Ignored(kInterrupts[i])) held_ |= 1u << i;
  }
  const sigset_t set = SetOf(held_);
  if (held_ == 0 || pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) {
    held_ = 0;
    return;
  }
  watcher_ = std::thread([this, set] {
    while (true) {
      siginfo_t info{};
      const int signal = sigwaitinfo(&set, &info);
      if (signal < 0) continue;  // EINTR
      // The destructor wakes this thread with a signal sent by this process.
      if ((info.si_code == SI_USER || info.si_code == SI_TKILL) && info.si_pid == ::getpid()) return;
      Interrupted(signal);
      return;
    }
  });
}

DeferredInterrupts::~DeferredInterrupts() {
  if (held_ == 0) return;
  bool came = false;
  {
    const std::lock_guard lock(mutex_);
    came = interrupt_ != 0;
    stop_ = nullptr;
  }
  if (!came) pthread_kill(watcher_.native_handle(), kInterrupts[0]);
  watcher_.join();
  const sigset_t set = SetOf(held_);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  // Taken by the watcher, so no longer pending: raised again.
  if (Pending()) raise(interrupt_);
}

bool DeferredInterrupts::Pending() const {
  const std::lock_guard lock(mutex_);
  return interrupt_ != 0;
}

int DeferredInterrupts::ExitStatus(int status) const { return status; }

}  // namespace vostrel
