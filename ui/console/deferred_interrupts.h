// Ctrl+C during a run of vostrel-scan (and on POSIX systems SIGTERM too):
// rather than ending the program in the middle of a row, the interrupt waits
// until the scan has stopped before its next file and the output is whole
// (a JSON array closed); the program then ends as the interrupt would have
// ended it. One implementation per platform.
#pragma once

#include <memory>

namespace vostrel {

class DeferredInterrupts {
 public:
  // From now on an interrupt waits.
  DeferredInterrupts();
  // POSIX: an interrupt that waited is delivered now, and ends the program.
  ~DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;

  // Whether an interrupt is waiting. Asked once per file: no system call.
  bool Pending() const;
  // The exit status to end with: `status`, or after an interrupt on Windows
  // the one Ctrl+C gives (STATUS_CONTROL_C_EXIT).
  int ExitStatus(int status) const;

 private:
  // Which interrupts this object holds back, to be let go when it goes.
  unsigned held_ = 0;
  // What a platform keeps to learn of an interrupt (POSIX: a thread that
  // waits for one).
  struct Watch;
  std::unique_ptr<Watch> watch_;
};

}  // namespace vostrel
