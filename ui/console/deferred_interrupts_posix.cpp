// SIGINT and SIGTERM are blocked, not caught, in every thread: a thread of
// this object's own waits for them (sigwaitinfo) and raises a flag, which the
// scan reads once per file without a system call; once the output is whole,
// they are unblocked and one that came is raised again, so it is delivered
// with its own disposition (a shell that ignored SIGINT for a background job
// still has it ignored). Threads started later inherit the mask.
#include "ui/console/deferred_interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <system_error>
#include <thread>

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

int FirstOf(unsigned held) {
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if ((held & (1u << i)) != 0) return kInterrupts[i];
  }
  return 0;
}

}  // namespace

struct DeferredInterrupts::Watch {
  std::atomic<int> caught = 0;  // the interrupt that came, once one has
  std::atomic<bool> ending = false;
  std::thread waiter;
};

DeferredInterrupts::DeferredInterrupts() {
  sigset_t blocked;
  if (pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0) return;
  // Those blocked already, by whoever started the program, stay so.
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if (sigismember(&blocked, kInterrupts[i]) == 0) held_ |= 1u << i;
  }
  const sigset_t set = SetOf(held_);
  if (held_ == 0 || pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) {
    held_ = 0;
    return;
  }
  watch_ = std::make_unique<Watch>();
  try {
    watch_->waiter = std::thread([watch = watch_.get(), set] {
      siginfo_t info{};
      int signal = -1;
      while (signal < 0) signal = sigwaitinfo(&set, &info);  // again when interrupted (EINTR)
      // The destructor's own signal to this thread says only that it is time to end.
      if (watch->ending.load(std::memory_order_acquire) && info.si_pid == ::getpid()) return;
      watch->caught.store(signal, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    watch_.reset();  // no thread to wait: Pending asks the system
  }
}

DeferredInterrupts::~DeferredInterrupts() {
  int caught = 0;
  if (watch_) {
    // A waiter that has not taken an interrupt is sent one by this process,
    // which it tells from a real one by its sender. One that comes meanwhile
    // either is taken instead or stays pending.
    watch_->ending.store(true, std::memory_order_release);
    if (watch_->caught.load(std::memory_order_acquire) == 0) {
      pthread_kill(watch_->waiter.native_handle(), FirstOf(held_));
    }
    watch_->waiter.join();
    caught = watch_->caught.load(std::memory_order_acquire);
  }
  const sigset_t set = SetOf(held_);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  if (caught != 0) ::raise(caught);
}

bool DeferredInterrupts::Pending() const {
  if (watch_) return watch_->caught.load(std::memory_order_acquire) != 0;
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (std::size_t i = 0; i < kInterrupts.size(); ++i) {
    if ((held_ & (1u << i)) != 0 && sigismember(&pending, kInterrupts[i]) == 1) return true;
  }
  return false;
}

int DeferredInterrupts::ExitStatus(int status) const { return status; }

}  // namespace vostrel
