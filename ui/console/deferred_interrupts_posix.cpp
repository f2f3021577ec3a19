// SIGINT and SIGTERM are blocked, not caught: a signal sent meanwhile stays
// pending, the scan asks sigpending() once per file, and unblocking them at
// the end delivers it with its own disposition (so a shell that ignored
// SIGINT for a background job still has it ignored). Threads started later
// inherit the mask.
#include "ui/console/deferred_interrupts.h"

#include <pthread.h>
#include <signal.h>

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

}  // namespace

DeferredInterrupts::DeferredInterrupts() {
  sigset_t blocked;
  if (pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0) return;
  // Those blocked already, by whoever started the program, stay so.
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if (sigismember(&blocked, kInterrupts[i]) == 0) held_ |= 1u << i;
  }
  const sigset_t set = SetOf(held_);
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) held_ = 0;
}

DeferredInterrupts::~DeferredInterrupts() {
  const sigset_t set = SetOf(held_);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

bool DeferredInterrupts::Pending() const {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if ((held_ & (1u << i)) != 0 && sigismember(&pending, kInterrupts[i]) == 1) return true;
  }
  return false;
}

int DeferredInterrupts::ExitStatus(int status) const { return status; }

}  // namespace vostrel
