// The folder to scan for a path given from outside the window: a command-line
// argument or a dropped file.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::win32 {

// The full path of `path` (a relative one taken against the working folder),
// without a trailing separator unless it is a drive's root; for an existing
// file, the folder that holds it. A path that names nothing stays, made full.
std::wstring FolderToScan(std::wstring_view path);

}  // namespace vostrel::win32
