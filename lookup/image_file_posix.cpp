// POSIX: positioned reads of only the bytes the lookup touches: the headers,
// the section table and the parts of the export data it walks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <memory>
#include <new>
#include <span>

#include "handle/file_descriptor_posix.h"
#include "lookup/image_file.h"
#include "lookup/pe_exports.h"

namespace peloc {
namespace {

// The file's bytes in the pieces the lookup asks for, each read with one
// pread: the start of the file (headers and section table) at once, then the
// views the export walk asks for (the export data, or the names array and the
// names), and for any other byte a few small aligned blocks read on demand.
// Copying a piece out of the page cache costs less than the page faults of a
// fresh mapping of it, and the pieces are only the bytes the lookup needs.
class FileBytes {
 public:
  static constexpr uint64_t kFirstRead = 4096;
  static constexpr uint64_t kBlockSize = 4096;
  static constexpr std::size_t kBlocks = 2;
  // Views share a buffer on the stack while they fit; larger ones (a table of
  // thousands of names) go to the heap, up to a bound that keeps a hostile
  // file from asking for a large allocation.
  static constexpr std::size_t kStackBytes = 32768;
  static constexpr std::size_t kViews = 4;
  static constexpr uint64_t kLargestView = uint64_t{64} << 20;

  FileBytes(int fd, uint64_t size) : fd_(fd), size_(size) { View(0, std::min(size, kFirstRead)); }

  uint64_t size() const { return size_; }

  std::span<const std::byte> View(uint64_t offset, uint64_t length) {
    for (const Piece& piece : std::span(views_).first(viewCount_)) {
      if (offset >= piece.start && length <= piece.bytes.size() && offset - piece.start <= piece.bytes.size() - length)
        return piece.bytes.subspan(offset - piece.start, length);
    }
    if (viewCount_ == kViews || length > kLargestView) return {};
    std::byte* into = nullptr;
    if (length <= stack_.size() - stackUsed_) {
      into = stack_.data() + stackUsed_;
    } else {
      heap_[viewCount_].reset(new (std::nothrow) std::byte[length]);
      into = heap_[viewCount_].get();
      if (into == nullptr) return {};
    }
    if (ReadAt(into, offset, length) != length) return {};
    if (into == stack_.data() + stackUsed_) stackUsed_ += length;
    views_[viewCount_] = {offset, std::span<const std::byte>(into, length)};
    return views_[viewCount_++].bytes;
  }

  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) {
    for (const Piece& piece : std::span(views_).first(viewCount_)) {
      if (offset >= piece.start && offset - piece.start < piece.bytes.size())
        return piece.bytes.subspan(offset - piece.start).first(std::min(maxLength, piece.start + piece.bytes.size() - offset));
    }
    const uint64_t start = offset - offset % kBlockSize;
    Block* block = Find(start);
    if (block == nullptr && (block = Load(start)) == nullptr) return {};
    const uint64_t within = offset - start;
    if (within >= block->length) return {};  // the file shrank under us
    const auto length = std::min<uint64_t>(maxLength, block->length - within);
    return std::span<const std::byte>(block->bytes).subspan(within, length);
  }

 private:
  struct Piece {
    uint64_t start = 0;
    std::span<const std::byte> bytes;
  };

  struct Block {
    uint64_t start = 0;
    uint64_t length = 0;  // 0: empty slot
    uint64_t lastUse = 0;
    std::array<std::byte, kBlockSize> bytes;
  };

  // Reads up to length bytes at offset; how many it got.
  uint64_t ReadAt(std::byte* into, uint64_t offset, uint64_t length) const {
    uint64_t got = 0;
    while (got < length) {
      const ssize_t n = ::pread(fd_, into + got, static_cast<std::size_t>(length - got), static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<uint64_t>(n);
    }
    return got;
  }

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
    const uint64_t got = ReadAt(victim->bytes.data(), start, std::min(kBlockSize, size_ - start));
    if (got == 0) return nullptr;
    victim->start = start;
    victim->length = got;
    victim->lastUse = ++clock_;
    return victim;
  }

  int fd_;
  uint64_t size_;
  uint64_t clock_ = 0;
  std::array<Piece, kViews> views_{};
  std::size_t viewCount_ = 0;
  std::array<std::unique_ptr<std::byte[]>, kViews> heap_;
  std::size_t stackUsed_ = 0;
  // Not value-initialized: that would zero them on each call, and only bytes
  // read into them are ever handed out.
  std::array<std::byte, kStackBytes> stack_;
  std::array<Block, kBlocks> blocks_;
};

}  // namespace

uint32_t FindExportInFile(const char* path, std::string_view name) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  const handle::FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.valid()) return 0;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return 0;

  FileBytes source(file.get(), static_cast<uint64_t>(status.st_size));
  const ByteReader<FileBytes> image(source);
  return FindExportOffset(image, name);
}

}  // namespace peloc
