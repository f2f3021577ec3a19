// Windows: the folder part of the executable's path as the loader reports it,
// in the ANSI code page.
#include <windows.h>

#include <string>

#include "scanner/program_folder.h"

namespace vostrel {
namespace {

// Paths may exceed MAX_PATH; the buffer grows until the whole path fits, up
// to the longest path the system allows.
constexpr DWORD kLongestPath = 32768;

std::string ExecutablePath() {
  std::string buffer(MAX_PATH, '\0');
  while (true) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    if (size >= kLongestPath) return {};  // truncated: no usable path
    buffer.resize(static_cast<std::size_t>(size) * 2);
  }
}

}  // namespace

std::string ProgramFolder() {
  const std::string path = ExecutablePath();
  // Walked by character, so that the trail byte of a double-byte code page's
  // character that happens to equal '\' is not taken for a separator.
  std::size_t folderLength = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      folderLength = i;
    }
  }
  if (folderLength == std::string::npos) return {};
  return path.substr(0, folderLength);
}

}  // namespace vostrel
