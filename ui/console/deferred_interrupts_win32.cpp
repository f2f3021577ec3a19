// Ctrl+C and Ctrl+Break reach a console program through a control handler,
// which the system calls on a thread of its own and with no context: the
// object it tells can be found nowhere but here. Closing the console,
// logging off and shutting down still end the program at once.
#include "ui/console/deferred_interrupts.h"

#include <windows.h>

#include <atomic>

namespace vostrel {
namespace {

std::atomic<DeferredInterrupts*> listening{nullptr};

}  // namespace

// A friend in all but name: the handler reaches the object through `listening`.
struct InterruptHandler {
  static BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (DeferredInterrupts* interrupts = listening.load()) interrupts->Interrupted(1);
    return TRUE;
  }
};

DeferredInterrupts::DeferredInterrupts() {
  listening = this;
  if (::SetConsoleCtrlHandler(InterruptHandler::OnConsoleControl, TRUE)) held_ = 1;
}

DeferredInterrupts::~DeferredInterrupts() {
  if (held_ != 0) ::SetConsoleCtrlHandler(InterruptHandler::OnConsoleControl, FALSE);
  listening = nullptr;
  // A handler that runs now has found this object: it ends before it goes.
  const std::lock_guard lock(mutex_);
}

bool DeferredInterrupts::Pending() const {
  const std::lock_guard lock(mutex_);
  return held_ != 0 && interrupt_ != 0;
}

int DeferredInterrupts::ExitStatus(int status) const {
  return Pending() ? static_cast<int>(STATUS_CONTROL_C_EXIT) : status;
}

}  // namespace vostrel
