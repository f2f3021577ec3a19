#include "ui/win32/folder_path.h"

#include <windows.h>

namespace vostrel::win32 {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Trailing separators go, except the one of a root ("C:\", "\").
void DropTrailingSeparators(std::wstring& path) {
  while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == L':')) path.pop_back();
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

}  // namespace

std::wstring FolderToScan(std::wstring_view path) {
  std::wstring folder = FullPath(std::wstring(path));
  DropTrailingSeparators(folder);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::size_t separator = folder.find_last_of(L"\\/");
    if (separator != std::wstring::npos) {
      folder.resize(separator + 1);
      DropTrailingSeparators(folder);
    }
  }
  return folder;
}

}  // namespace vostrel::win32
