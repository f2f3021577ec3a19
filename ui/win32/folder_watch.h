// The system's change notifications for one folder: a file in it added,
// removed, renamed, or written to. Looked at when asked (Changed), so that
// a window timer brings them into the message loop and no thread waits.
#pragma once

#include <windows.h>

#include <string>

#include "handle/unique_handle.h"

namespace vostrel::win32 {

class FolderWatch {
 public:
  // Watches `folder`; watching() is false when the system cannot (a share
  // that gives no notifications, a folder that is gone).
  explicit FolderWatch(std::wstring folder);

  bool watching() const { return notification_.valid(); }
  // Whether the folder changed since the last call, without waiting.
  bool Changed();
  // The folder itself deleted or renamed, or the notifications failed (the
  // handle or the access lost): the watch has ended.
  bool gone() const { return gone_; }

 private:
  struct NotificationTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE handle) noexcept { ::FindCloseChangeNotification(handle); }
  };
  using Notification = handle::UniqueHandle<NotificationTraits>;

  std::wstring folder_;
  Notification notification_;
  bool gone_ = false;
};

}  // namespace vostrel::win32
