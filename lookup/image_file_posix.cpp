// POSIX: positioned reads of only the blocks the lookup touches. On these
// machines a page fault of a fresh mapping costs more than a pread that copies
// a few kilobytes out of the page cache, and a lookup touches only the
// headers, the section table and parts of the export data.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>

#include "image_file.h"
#include "pe_exports.h"

namespace peloc {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// A few aligned blocks of the file, read on demand and reused least recently
// used first. The export search alternates between the names array and the
// name strings, so two blocks cover the walk; the ordinals and functions
// arrays are read once, after the match. 32 KB blocks read a small mission DLL
// in one call and a table of thousands of names in few, and keep the stack
// frame at 64 KB; larger or more blocks measured no faster.
class BlockCachedFile {
 public:
  static constexpr uint64_t kBlockSize = 32768;
  static constexpr std::size_t kBlocks = 2;

  BlockCachedFile(int fd, uint64_t size) : fd_(fd), size_(size) {}

  uint64_t size() const { return size_; }

  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) {
    const uint64_t start = offset - offset % kBlockSize;
    Block* block = Find(start);
    if (block == nullptr && (block = Load(start)) == nullptr) return {};
    const uint64_t within = offset - start;
    if (within >= block->length) return {};  // the file shrank under us
    const auto length = std::min<uint64_t>(maxLength, block->length - within);
    return std::span<const std::byte>(block->bytes).subspan(within, length);
  }

 private:
  struct Block {
    uint64_t start = 0;
    uint64_t length = 0;  // 0: empty slot
    uint64_t lastUse = 0;
    std::array<std::byte, kBlockSize> bytes;
  };

  Block* Find(uint64_t start) {
    for (Block& block : blocks_) {
      if (block.length != 0 && block.start == start) {
        block.lastUse = ++clock_;
        return &block;
      }
    }
    return nullptr;
  }

  Block* Load(uint64_t start) {
    Block* victim = &blocks_[0];
    for (Block& block : blocks_) {
      if (block.lastUse < victim->lastUse) victim = &block;
    }
    victim->length = 0;
    const auto wanted = static_cast<std::size_t>(std::min(kBlockSize, size_ - start));
    std::size_t got = 0;
    while (got < wanted) {
      const ssize_t n = ::pread(fd_, victim->bytes.data() + got, wanted - got, static_cast<off_t>(start + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == 0) return nullptr;
    victim->start = start;
    victim->length = got;
    victim->lastUse = ++clock_;
    return victim;
  }

  int fd_;
  uint64_t size_;
  uint64_t clock_ = 0;
  // Not value-initialized: that would zero every block's bytes on each call,
  // and only bytes read into a block are ever handed out.
  std::array<Block, kBlocks> blocks_;
};

}  // namespace

uint32_t FindExportInFile(const char* path, std::string_view name) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) return 0;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return 0;

  BlockCachedFile source(file.get(), static_cast<uint64_t>(status.st_size));
  const ByteReader<BlockCachedFile> image(source);
  return FindExportOffset(image, name);
}

}  // namespace peloc
