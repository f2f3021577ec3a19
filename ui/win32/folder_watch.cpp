#include "ui/win32/folder_watch.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "scanner/text_encoding.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

// Names added, removed and renamed, and files written: a DLL rewritten in
// place changes its size or its time of writing, or at least is written.
constexpr DWORD kWatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                  FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                                  FILE_NOTIFY_CHANGE_SECURITY;

}  // namespace

FolderWatch::FolderWatch(std::wstring folder)
    : folder_(std::move(folder)),
      directory_(::CreateFileW(folder_.c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
      done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (directory_ && done_) armed_ = Arm();
}

FolderWatch::~FolderWatch() {
  if (!armed_) return;
  ::CancelIoEx(directory_.get(), &read_);
  DWORD bytes = 0;
  ::GetOverlappedResult(directory_.get(), &read_, &bytes, TRUE);  // the system is done with the buffer
}

bool FolderWatch::Arm() {
  ::ResetEvent(done_.get());
  read_ = {};
  read_.hEvent = done_.get();
  return ::ReadDirectoryChangesW(directory_.get(), records_.data(), static_cast<DWORD>(records_.size()), FALSE,
                                 kWatchedChanges, nullptr, &read_, nullptr) != FALSE;
}

std::optional<FolderEvents> FolderWatch::Take() {
  if (!armed_) return std::nullopt;
  FolderEvents events;
  if (::WaitForSingleObject(done_.get(), 0) != WAIT_OBJECT_0) {
    // A folder deleted or renamed does not always end the read.
    if (::GetFileAttributesW(folder_.c_str()) != INVALID_FILE_ATTRIBUTES) return std::nullopt;
    events.folderGone = true;
  } else {
    DWORD bytes = 0;
    if (::GetOverlappedResult(directory_.get(), &read_, &bytes, FALSE)) {
      if (bytes == 0) {
        events.unnamed = true;  // more changes than the buffer holds
      } else {
        Names(events, bytes);
      }
      events.folderGone = !Arm();
    } else if (::GetLastError() == ERROR_NOTIFY_ENUM_DIR) {
      events.unnamed = true;
      events.folderGone = !Arm();
    } else {
      events.folderGone = true;  // the folder deleted (ERROR_ACCESS_DENIED), the handle lost
    }
  }
  if (events.folderGone) {
    if (!HasOverlappedIoCompleted(&read_)) {  // a macro
      ::CancelIoEx(directory_.get(), &read_);
      DWORD bytes = 0;
      ::GetOverlappedResult(directory_.get(), &read_, &bytes, TRUE);
    }
    armed_ = false;
  }
  return events;
}

void FolderWatch::Names(FolderEvents& events, DWORD bytes) const {
  for (std::size_t at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
    FILE_NOTIFY_INFORMATION record;
    std::memcpy(&record, records_.data() + at, sizeof record);
    const std::size_t nameAt = at + offsetof(FILE_NOTIFY_INFORMATION, FileName);
    if (nameAt + record.FileNameLength > bytes) break;
    std::wstring name(record.FileNameLength / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), records_.data() + nameAt, record.FileNameLength);
    std::string native = Utf8ToNative(Narrow(name));
    if (std::find(events.names.begin(), events.names.end(), native) == events.names.end()) {
      events.names.push_back(std::move(native));
    }
    if (record.NextEntryOffset == 0) break;
    at += record.NextEntryOffset;
  }
}

}  // namespace vostrel::win32
