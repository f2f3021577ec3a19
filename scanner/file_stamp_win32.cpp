#include <windows.h>

#include "scanner/file_stamp.h"

namespace vostrel {

// Native text is the process's code page (UTF-8 through the manifest), which
// the A functions take.
template <>
FileStamp StampOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
  const auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
  return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                   static_cast<std::int64_t>(join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime))};
}

std::optional<FileStamp> StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return StampOf(data);
}

}  // namespace vostrel
