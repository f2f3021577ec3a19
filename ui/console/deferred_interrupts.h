// Ctrl+C during a run of vostrel-scan (and on POSIX systems SIGTERM too):
// rather than ending the program in the middle of a row, the interrupt waits
// until the scan has stopped before its next file and the output is whole
// (a JSON array closed); the program then ends as the interrupt would have
// ended it. One implementation per platform.
#pragma once

namespace vostrel {

class DeferredInterrupts {
 public:
  // From now on an interrupt waits.
  DeferredInterrupts();
  // POSIX: an interrupt that waited is delivered now, and ends the program.
  ~DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;

  // Whether an interrupt is waiting.
  bool Pending() const;
  // The exit status to end with: `status`, or after an interrupt on Windows
  // the one Ctrl+C gives (STATUS_CONTROL_C_EXIT).
  int ExitStatus(int status) const;

 private:
  // Which interrupts this object holds back, to be let go when it goes.
  unsigned held_ = 0;
};

}  // namespace vostrel
