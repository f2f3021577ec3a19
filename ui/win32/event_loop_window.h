// The event loop's services for the toolkit-free core, through the Win32
// message loop: a message-only window that runs the calls posted to it (from
// any thread: a private message wakes it), one timer a delayed call, and a
// timer that takes the followed folder's changes (ReadDirectoryChangesW).
#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/core/event_loop.h"
#include "ui/win32/folder_watch.h"
#include "ui/win32/window_base.h"

namespace vostrel::win32 {

class EventLoopWindow final : public Window, public EventLoop {
 public:
  explicit EventLoopWindow(HINSTANCE instance);

  // What is posted, or timed, when the window goes is dropped with it.
  void Post(Call call) override;
  void PostAfter(std::chrono::milliseconds delay, Call call) override;
  // The same folder watched again keeps its notifications, so that no change
  // made meanwhile is missed.
  bool WatchFolder(const std::string& folder, FolderChanged changed) override;
  void StopWatching() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void RunPosted();
  void RunTimer(UINT_PTR id);
  void LookAtFolder();

  std::mutex postedLock_;
  std::vector<Call> posted_;  // under the lock, in order
  std::map<UINT_PTR, Call> timed_;  // by the id of the timer that runs each
  UINT_PTR nextTimerId_;
  std::unique_ptr<FolderWatch> folderWatch_;  // the folder followed, looked at by a timer
  std::wstring watchedFolder_;
  FolderChanged folderChanged_;
};

}  // namespace vostrel::win32
