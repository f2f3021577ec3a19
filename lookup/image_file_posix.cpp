// POSIX: positioned reads of only the bytes the lookup touches (file_bytes.h):
// the headers, the section table and the parts of the export data it walks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "handle/file_descriptor_posix.h"
#include "lookup/file_bytes.h"
#include "lookup/image_file.h"
#include "lookup/pe_exports.h"

namespace peloc {
namespace {

// Positioned reads of the file's own descriptor.
class DescriptorReads {
 public:
  explicit DescriptorReads(int fd) : fd_(fd) {}

  uint64_t operator()(std::byte* into, uint64_t offset, uint64_t length) const {
    uint64_t got = 0;
    while (got < length) {
      const ssize_t n = ::pread(fd_, into + got, static_cast<std::size_t>(length - got), static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<uint64_t>(n);
    }
    return got;
  }

 private:
  int fd_;
};

}  // namespace

uint32_t FindExportsInFile(const char* path, const char* const* names, uint32_t count, uint32_t* offsets) {
  std::fill_n(offsets, count, 0u);
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  const handle::FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.valid()) return 0;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return 0;

  FileBytes source(DescriptorReads(file.get()), static_cast<uint64_t>(status.st_size));
  const ByteReader<FileBytes<DescriptorReads>> image(source);
  return FindExportOffsets(image, names, count, offsets);
}

}  // namespace peloc
