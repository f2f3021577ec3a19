// Ctrl+C and Ctrl+Break reach a console program through a control handler,
// which the system calls on a thread of its own and with no context: the flag
// it sets can live nowhere but here. Closing the console, logging off and
// shutting down still end the program at once.
#include "ui/console/deferred_interrupts.h"

#include <windows.h>

#include <atomic>

namespace vostrel {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}

}  // namespace

// The control handler's flag is all there is to keep.
struct DeferredInterrupts::Watch {};

DeferredInterrupts::DeferredInterrupts() {
  if (::SetConsoleCtrlHandler(OnConsoleControl, TRUE)) held_ = 1;
}

DeferredInterrupts::~DeferredInterrupts() {
  if (held_ != 0) ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool DeferredInterrupts::Pending() const { return held_ != 0 && interrupted; }

int DeferredInterrupts::ExitStatus(int status) const {
  return Pending() ? static_cast<int>(STATUS_CONTROL_C_EXIT) : status;
}

}  // namespace vostrel
