// POSIX: one descriptor, read with pread.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include "i18n/system_reason.h"
#include "scanner/read_only_file.h"

namespace vostrel {

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path, OpenFailure* failure) {
  // O_NONBLOCK keeps a FIFO put in a file's place from blocking the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (failure != nullptr) *failure = {error == ENOENT, SystemReason(error)};
    return std::nullopt;
  }
  return ReadOnlyFile(fd);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
}

std::optional<std::size_t> ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<char> into, std::string* reason) const {
  std::size_t got = 0;
  while (got < into.size()) {
    const ssize_t n = ::pread(static_cast<int>(handle_), into.data() + got, into.size() - got,
                              static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (reason != nullptr) *reason = SystemReason(errno);
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

std::optional<std::uint64_t> ReadOnlyFile::Size() const {
  struct stat status {};
  if (::fstat(static_cast<int>(handle_), &status) != 0) return std::nullopt;
  if (!S_ISREG(status.st_mode) || status.st_size < 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace vostrel
