// Windows: FindFirstFileA/FindNextFileA over folder + "\*.dll". The file
// system matches the pattern without regard to letter case and yields the
// names in its own order; directories, hidden and system files are skipped.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "handle/unique_handle.h"
#include "scanner/dll_listing.h"
#include "scanner/system_message_win32.h"

namespace vostrel {

const char kPathSeparator[] = "\\";

namespace {

constexpr char kPattern[] = "*.dll";
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct FindHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE find) noexcept { ::FindClose(find); }
};
using FindHandle = handle::UniqueHandle<FindHandleTraits>;

}  // namespace

bool ListsName(const std::string& name) {
  constexpr std::string_view kExtension = ".dll";
  return name.size() > kExtension.size() &&
         std::equal(kExtension.rbegin(), kExtension.rend(), name.rbegin(),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b); });
}

template <>
FileStamp StampOf(const WIN32_FILE_ATTRIBUTE_DATA& data);  // file_stamp_win32.cpp

std::optional<FileStamp> ListedStampOf(const std::string& folder, const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!ListsName(name) || !::GetFileAttributesExA(JoinPath(folder, name).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & kSkippedAttributes) != 0) {
    return std::nullopt;
  }
  return StampOf(data);
}

struct DllListing::State {
  explicit State(const std::string& pattern) : find(::FindFirstFileA(pattern.c_str(), &data)) {
    pending = find.valid();
    if (pending) return;
    // No file matches: an empty listing, not an error.
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) throw ListingError(win32::SystemMessage(error));
  }
  WIN32_FIND_DATAA data{};
  FindHandle find;
  bool pending = false;  // data holds an entry not yet looked at
};

DllListing::DllListing(const std::string& folder)
    : state_(std::make_unique<State>(JoinPath(folder, kPattern))) {}

DllListing::~DllListing() = default;

std::optional<std::string> DllListing::Next() {
  while (state_->pending) {
    const WIN32_FIND_DATAA& entry = state_->data;
    std::optional<std::string> name;
    if ((entry.dwFileAttributes & kSkippedAttributes) == 0) name = entry.cFileName;
    state_->pending = ::FindNextFileA(state_->find.get(), &state_->data) != FALSE;
    if (name) return name;
  }
  return std::nullopt;
}

}  // namespace vostrel
