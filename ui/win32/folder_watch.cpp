#include "ui/win32/folder_watch.h"

#include <utility>

namespace vostrel::win32 {
namespace {

// Names added, removed and renamed, and files written: a DLL rewritten in
// place changes its size or its time of writing.
constexpr DWORD kWatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

FolderWatch::FolderWatch(std::wstring folder)
    : folder_(std::move(folder)), notification_(::FindFirstChangeNotificationW(folder_.c_str(), FALSE, kWatchedChanges)) {}

bool FolderWatch::Changed() {
  if (!notification_ || gone_) return false;
  const DWORD waited = ::WaitForSingleObject(notification_.get(), 0);
  if (waited == WAIT_OBJECT_0) {
    // Rearmed at once: changes made from now on signal again. A folder
    // deleted signals, and then cannot be rearmed.
    gone_ = !::FindNextChangeNotification(notification_.get());
    if (!gone_) return true;
  }
  // A folder deleted or renamed does not always signal its own handle.
  if (waited == WAIT_FAILED || gone_ || ::GetFileAttributesW(folder_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    gone_ = true;
    return true;
  }
  return false;
}

}  // namespace vostrel::win32
