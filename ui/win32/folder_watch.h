// The system's changes of one folder, as ReadDirectoryChangesW names them: a
// file in it added, removed, renamed (both names), or written to. Looked at
// when asked (Take), so that a window timer brings them into the message
// loop and no thread waits: the read is overlapped, its completion an event.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "handle/unique_handle.h"
#include "ui/core/event_loop.h"

namespace vostrel::win32 {

class FolderWatch {
 public:
  // Watches `folder`; watching() is false when the system cannot (a share
  // that gives no notifications, a folder that is gone).
  explicit FolderWatch(std::wstring folder);
  // Takes back the read under way before its buffer goes.
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  bool watching() const { return armed_; }
  // The changes reported since the last call, without waiting; none when
  // none. The folder itself deleted or renamed, or the watch failed (the
  // handle or the access lost), ends the watch: said once.
  std::optional<FolderEvents> Take();

 private:
  // Asks for the next changes; false when the system refuses.
  bool Arm();
  void Names(FolderEvents& events, DWORD bytes) const;

  struct CloseTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE handle) noexcept { ::CloseHandle(handle); }
  };
  using Handle = handle::UniqueHandle<CloseTraits>;
  using Event = handle::UniqueHandle<handle::NullInvalid<HANDLE, ::CloseHandle>>;

  std::wstring folder_;
  Handle directory_;
  Event done_;
  OVERLAPPED read_{};
  // DWORD-aligned, as the records are; 64 KiB, the most a share passes on.
  alignas(DWORD) std::array<std::byte, 64 * 1024> records_{};
  bool armed_ = false;  // a read is under way
};

}  // namespace vostrel::win32
