// What both platforms' interrupts do once one came: the same lock and stop.
#include "ui/console/deferred_interrupts.h"

#include <utility>

namespace vostrel {

void DeferredInterrupts::Interrupted(int signal) {
  const std::lock_guard lock(mutex_);
  interrupt_ = signal;
  if (stop_) stop_();
}

void DeferredInterrupts::OnInterrupt(std::function<void()> stop) {
  const std::lock_guard lock(mutex_);
  stop_ = std::move(stop);
  if (interrupt_ != 0 && stop_) stop_();
}

}  // namespace vostrel
