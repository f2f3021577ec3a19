// Ctrl+C during a run of vostrel-scan (and on POSIX systems SIGTERM too):
// rather than ending the program in the middle of a row, the interrupt stops
// the scan, which ends the output whole (a JSON array closed) at once, even
// while a read hangs; the program then ends as the interrupt would have
// ended it. One implementation per platform.
#pragma once

#include <functional>
#include <mutex>
#include <thread>

namespace vostrel {

class DeferredInterrupts {
 public:
  // From now on an interrupt waits.
  DeferredInterrupts();
  // POSIX: an interrupt that came is delivered now, and ends the program.
  ~DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;

  // From now on `stop` runs when an interrupt comes, on a thread of its own,
  // or at once when one came already; until the next call, which waits for
  // a `stop` that runs. An empty `stop`: nothing runs any more.
  void OnInterrupt(std::function<void()> stop);
  // Whether an interrupt came.
  bool Pending() const;
  // The exit status to end with: `status`, or after an interrupt on Windows
  // the one Ctrl+C gives (STATUS_CONTROL_C_EXIT).
  int ExitStatus(int status) const;

 private:
  friend struct InterruptHandler;  // Windows' console control handler

  // An interrupt came: `signal` (POSIX; 1 on Windows). Runs `stop`.
  void Interrupted(int signal);

  // Which interrupts this object holds back, to be let go when it goes.
  unsigned held_ = 0;
  mutable std::mutex mutex_;
  std::function<void()> stop_;  // under the lock
  int interrupt_ = 0;           // under the lock: the interrupt that came, 0 for none
  std::thread watcher_;         // POSIX: waits for the interrupts held
};

}  // namespace vostrel
