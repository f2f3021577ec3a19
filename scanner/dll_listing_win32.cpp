// Windows: FindFirstFileA/FindNextFileA over folder + "\*.dll". The file
// system matches the pattern without regard to letter case and yields the
// names in its own order; directories, hidden and system files are skipped.
#include <windows.h>

#include "dll_listing.h"

namespace vostrel {

const char kPathSeparator[] = "\\";

namespace {

constexpr char kPattern[] = "*.dll";
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (valid()) ::FindClose(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

struct DllListing::State {
  explicit State(const std::string& pattern) : find(::FindFirstFileA(pattern.c_str(), &data)) {
    pending = find.valid();
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
