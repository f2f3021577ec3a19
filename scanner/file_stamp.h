// What tells a file's content has changed without reading it: its size and
// the time it was last written, in one call to the system. One
// implementation per platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vostrel {

struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t written = 0;  // in the system's own units: only compared

  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path` (native text); none when it cannot be had.
std::optional<FileStamp> StampOf(const std::string& path);

// The stamp in what the system said of a file: struct stat on Linux,
// WIN32_FILE_ATTRIBUTE_DATA on Windows (specialised there).
template <class Status>
FileStamp StampOf(const Status& status);

}  // namespace vostrel
