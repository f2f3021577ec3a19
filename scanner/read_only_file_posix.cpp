// POSIX: one descriptor, read with pread.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "read_only_file.h"

namespace vostrel {

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path, OpenFailure* failure) {
  // O_NONBLOCK keeps a FIFO put in a file's place from blocking the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (failure != nullptr) *failure = {error == ENOENT, std::system_category().message(error)};
    return std::nullopt;
  }
  return ReadOnlyFile(fd);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
}

std::optional<std::size_t> ReadOnlyFile::ReadSomeAt(std::uint64_t offset, std::span<char> into) const {
  while (true) {
    const ssize_t n = ::pread(static_cast<int>(handle_), into.data(), into.size(), static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return std::nullopt;
  }
}

std::optional<std::uint64_t> ReadOnlyFile::Size() const {
  struct stat status {};
  if (::fstat(static_cast<int>(handle_), &status) != 0) return std::nullopt;
  if (!S_ISREG(status.st_mode) || status.st_size < 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace vostrel
