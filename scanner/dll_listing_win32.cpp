// Windows: FindFirstFileA/FindNextFileA over folder + "\*.dll". The file
// system matches the pattern without regard to letter case and yields the
// names in its own order; directories, hidden and system files are skipped.
#include <windows.h>

#include <string>

#include "code_page_win32.h"
#include "dll_listing.h"
#include "unique_handle.h"

namespace vostrel {

const char kPathSeparator[] = "\\";

namespace {

constexpr char kPattern[] = "*.dll";
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct FindHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE find) noexcept { ::FindClose(find); }
};
using FindHandle = peloc::UniqueHandle<FindHandleTraits>;

// The system's words for an error, without the line break they end in.
std::string SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const peloc::UniqueHandle<peloc::NullInvalid<wchar_t*, ::LocalFree>> owned(buffer);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "error " + std::to_string(error);
  return win32::FromWide(CP_UTF8, text);
}

}  // namespace

struct DllListing::State {
  explicit State(const std::string& pattern) : find(::FindFirstFileA(pattern.c_str(), &data)) {
    pending = find.valid();
    if (pending) return;
    // No file matches: an empty listing, not an error.
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) throw ListingError(SystemMessage(error));
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
