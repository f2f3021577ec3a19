// The event loop's services for the toolkit-free core, through Qt's: calls
// queued on a context object (dropped with it), single-shot timers, and the
// folder's inotify watch.
#pragma once

#include <chrono>
#include <string>

#include "ui/core/event_loop.h"

class FolderWatch;
class QObject;

class QtEventLoop final : public vostrel::EventLoop {
 public:
  // Runs the calls on `context`'s thread, as long as it lives.
  explicit QtEventLoop(QObject* context);

  void Post(Call call) override;
  void PostAfter(std::chrono::milliseconds delay, Call call) override;
  bool WatchFolder(const std::string& folder, FolderChanged changed) override;
  void StopWatching() override;

 private:
  QObject* context_;    // not owned
  FolderWatch* watch_;  // a child of the context
};
