// What the fuzz targets make of an input: the file it is, and the name it
// asks for.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace peloc::fuzz {

// The input's trailing bytes after its last zero byte, at most 64 of them, so
// that an image with a name appended looks that name up.
inline std::string_view NameFromInput(std::span<const std::byte> bytes) {
  const std::size_t tail = std::min<std::size_t>(bytes.size(), 64);
  std::size_t start = bytes.size();
  while (start > bytes.size() - tail && bytes[start - 1] != std::byte{0}) --start;
  return {reinterpret_cast<const char*>(bytes.data()) + start, bytes.size() - start};
}

// The input as a file of its own, closed on scope exit.
class MemoryFile {
 public:
  explicit MemoryFile(std::span<const std::byte> bytes) : fd_(::memfd_create("fuzz-image", MFD_CLOEXEC)) {
    std::size_t written = 0;
    while (fd_ >= 0 && written < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
      if (n <= 0) __builtin_trap();
      written += static_cast<std::size_t>(n);
    }
    if (fd_ < 0) __builtin_trap();
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { ::close(fd_); }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace peloc::fuzz
