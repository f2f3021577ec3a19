// Win32: one handle, read at an offset given with each ReadFile.
#include <windows.h>

#include <algorithm>

#include "scanner/read_only_file.h"
#include "scanner/system_message_win32.h"

namespace vostrel {

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path, OpenFailure* failure) {
  // The share modes the C library's fopen asks for: other readers and writers.
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (failure != nullptr) {
      *failure = {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND, win32::SystemMessage(error)};
    }
    return std::nullopt;
  }
  return ReadOnlyFile(reinterpret_cast<std::intptr_t>(file));
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ != kNoHandle) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<std::size_t> ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<char> into, std::string* reason) const {
  std::size_t got = 0;
  while (got < into.size()) {
    OVERLAPPED at{};
    const std::uint64_t position = offset + got;
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const auto want = static_cast<DWORD>(std::min<std::size_t>(into.size() - got, MAXDWORD));
    DWORD read = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), into.data() + got, want, &read, &at)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      if (reason != nullptr) *reason = win32::SystemMessage(error);
      return std::nullopt;
    }
    if (read == 0) break;
    got += read;
  }
  return got;
}

std::optional<std::uint64_t> ReadOnlyFile::Size() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size) || size.QuadPart < 0) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace vostrel
