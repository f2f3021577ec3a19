// Linux: the regular files (or links to them) whose names end in ".dll" in
// any letter case, without hidden (dot) files. The directory yields entries in
// no useful order, so they are listed by their upper-cased names, the order in
// which the game's own file system yields them.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "i18n/system_reason.h"
#include "scanner/dll_listing.h"

namespace vostrel {

const char kPathSeparator[] = "/";

namespace {

// ASCII only, whatever the locale, so the order does not change with the user's settings.
std::string UpperCased(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return name;
}

bool HasDllExtension(const std::string& name) {
  constexpr std::string_view kExtension = ".DLL";
  return name.size() > kExtension.size() && UpperCased(name).ends_with(kExtension);
}

}  // namespace

bool ListsName(const std::string& name) { return !name.starts_with('.') && HasDllExtension(name); }

template <>
FileStamp StampOf(const struct stat& status);  // file_stamp_posix.cpp

std::optional<FileStamp> ListedStampOf(const std::string& folder, const std::string& name) {
  struct stat status {};
  if (!ListsName(name) || ::stat(JoinPath(folder, name).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  return StampOf(status);
}

struct DllListing::State {
  std::vector<std::string> names;
  std::size_t next = 0;
};

DllListing::DllListing(const std::string& folder) : state_(std::make_unique<State>()) {
  std::error_code error;
  // The folder part of the pattern folder + "/*.dll": an empty folder text is the root.
  std::filesystem::directory_iterator entries(folder + kPathSeparator, error);
  if (error) throw ListingError(SystemReason(error.value()));
  struct Listed {
    std::string upper;
    std::string name;
  };
  std::vector<Listed> listed;
  for (auto entry = entries; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    if (error) break;
    std::string name = entry->path().filename().string();
    if (!ListsName(name)) continue;
    std::error_code statusError;
    if (!entry->is_regular_file(statusError)) continue;  // follows links
    listed.push_back({UpperCased(name), std::move(name)});
  }
  std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
    return a.upper != b.upper ? a.upper < b.upper : a.name < b.name;
  });
  for (auto& item : listed) state_->names.push_back(std::move(item.name));
}

DllListing::~DllListing() = default;

std::optional<std::string> DllListing::Next() {
  if (state_->next >= state_->names.size()) return std::nullopt;
  return state_->names[state_->next++];
}

}  // namespace vostrel
