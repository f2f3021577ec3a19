// Listing the *.dll files of a folder. One implementation per platform.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "scanner/file_stamp.h"

namespace vostrel {

// Separator between folder text and file name.
extern const char kPathSeparator[];

// The folder text as typed, the separator, then the name: no normalisation.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

// The folder cannot be listed: it does not exist, is no folder, or may not
// be read. Says the system's reason, in UTF-8.
class ListingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The ordinary files of a folder that the pattern "*.dll" matches, in any
// letter case: no directories, no hidden or system files. Names come without
// their folder, in the file system's order by name, in the native encoding.
// On Windows the match is the system's own, which also tries a file's short
// (8.3) name, so "x.dllx" can be listed there; on Linux the name must end in
// ".dll".
// Whether a file of this name (native, without its folder) is listed when
// it is an ordinary file: its name ends in ".dll" in any letter case, and on
// Linux it is not hidden (a dot before the name).
bool ListsName(const std::string& name);
// The stamp of the file `name` in `folder` when the listing of the folder
// lists it as it is now (its name, and an ordinary file: a link to one on
// Linux; on Windows no directory, no hidden or system file); none when not.
// One call to the system.
std::optional<FileStamp> ListedStampOf(const std::string& folder, const std::string& name);

class DllListing {
 public:
  // Starts the listing of folder (native text, used as typed). Throws
  // ListingError when the folder cannot be listed; a folder without DLLs
  // gives an empty listing.
  explicit DllListing(const std::string& folder);
  ~DllListing();
  DllListing(const DllListing&) = delete;
  DllListing& operator=(const DllListing&) = delete;

  // The next name, or empty when there are no more.
  std::optional<std::string> Next();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vostrel
