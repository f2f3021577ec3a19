#include "ui/win32/clipboard.h"

#include <algorithm>

#include "handle/unique_handle.h"

namespace vostrel::win32 {
namespace {

using GlobalMemory = handle::UniqueHandle<handle::NullInvalid<HGLOBAL, ::GlobalFree>>;

class LockedMemory {
 public:
  explicit LockedMemory(HGLOBAL memory) : memory_(memory), bytes_(::GlobalLock(memory)) {}
  LockedMemory(const LockedMemory&) = delete;
  LockedMemory& operator=(const LockedMemory&) = delete;
  ~LockedMemory() {
    if (bytes_ != nullptr) ::GlobalUnlock(memory_);
  }
  void* get() const { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) ::CloseClipboard();
  }
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool PutOnClipboard(HWND owner, std::wstring_view text) {
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
  if (!memory) return false;
  {
    const LockedMemory locked(memory.get());
    if (locked.get() == nullptr) return false;
    auto* const characters = static_cast<wchar_t*>(locked.get());
    std::copy(text.begin(), text.end(), characters);
    characters[text.size()] = L'\0';
  }
  const OpenedClipboard clipboard(owner);
  if (!clipboard.IsOpen() || !::EmptyClipboard()) return false;
  if (::SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) return false;
  memory.release();  // the clipboard owns it now
  return true;
}

}  // namespace vostrel::win32
