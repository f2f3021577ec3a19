// An image file's bytes in the pieces the lookup asks for, read through a
// positioned read: the file's own descriptor, or the read a caller of
// GetOffsets hands over. The same on every platform.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <utility>

namespace peloc {

// The start of the file (headers and section table) at once, or as much of
// it as the caller already holds; then the views the export walk asks for
// (the export data, or the names array and the names), each with one read,
// and for any other byte a few small aligned blocks read on demand. Copying
// a piece out of the page cache costs less than the page faults of a fresh
// mapping of it, and the pieces are only the bytes the lookup needs.
//
// ReadAt: uint64_t (std::byte* into, uint64_t offset, uint64_t length) const,
// which reads up to `length` bytes at `offset` and says how many it got
// (fewer only at the end of the file or on a failure).
template <class ReadAt>
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

  // `head`: the file's first bytes, when the caller already holds them
  // (at most `size`); they are used where they are, never read again.
  FileBytes(ReadAt readAt, uint64_t size, std::span<const std::byte> head = {})
      : readAt_(std::move(readAt)), size_(size) {
    if (head.empty()) {
      View(0, std::min(size, kFirstRead));
    } else {
      views_[viewCount_++] = {0, head.first(static_cast<std::size_t>(std::min<uint64_t>(head.size(), size)))};
    }
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  uint64_t size() const { return size_; }

  std::span<const std::byte> View(uint64_t offset, uint64_t length) {
    // Lengths and places within a piece are below its size, a size_t.
    for (const Piece& piece : std::span(views_).first(viewCount_)) {
      if (offset >= piece.start && length <= piece.bytes.size() && offset - piece.start <= piece.bytes.size() - length)
        return piece.bytes.subspan(static_cast<std::size_t>(offset - piece.start), static_cast<std::size_t>(length));
    }
    if (viewCount_ == kViews || length > kLargestView) return {};
    const auto bytes = static_cast<std::size_t>(length);  // at most kLargestView
    std::byte* into = nullptr;
    if (bytes <= stack_.size() - stackUsed_) {
      into = stack_.data() + stackUsed_;
    } else {
      heap_[viewCount_].reset(static_cast<std::byte*>(std::malloc(bytes)));
      into = heap_[viewCount_].get();
      if (into == nullptr) return {};
    }
    if (readAt_(into, offset, length) != length) return {};
    if (into == stack_.data() + stackUsed_) stackUsed_ += bytes;
    views_[viewCount_] = {offset, std::span<const std::byte>(into, bytes)};
    return views_[viewCount_++].bytes;
  }

  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) {
    for (const Piece& piece : std::span(views_).first(viewCount_)) {
      if (offset >= piece.start && offset - piece.start < piece.bytes.size()) {
        const auto within = static_cast<std::size_t>(offset - piece.start);
        return piece.bytes.subspan(within).first(
            static_cast<std::size_t>(std::min<uint64_t>(maxLength, piece.bytes.size() - within)));
      }
    }
    const uint64_t start = offset - offset % kBlockSize;
    Block* block = Find(start);
    if (block == nullptr && (block = Load(start)) == nullptr) return {};
    const uint64_t within = offset - start;
    if (within >= block->length) return {};  // the file shrank under us
    const auto length = std::min<uint64_t>(maxLength, block->length - within);
    return std::span<const std::byte>(block->bytes)
        .subspan(static_cast<std::size_t>(within), static_cast<std::size_t>(length));
  }

 private:
  struct Piece {
    uint64_t start = 0;
    std::span<const std::byte> bytes;
  };

  // malloc's, not new's: the library is built without exceptions, and the
  // C++ library's allocation that reports failure without one brings its
  // exception machinery into the library (130 KB of a Peloc.dll of 17 KB).
  struct FreeBytes {
    void operator()(std::byte* bytes) const noexcept { std::free(bytes); }
  };

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
    const uint64_t got = readAt_(victim->bytes.data(), start, std::min(kBlockSize, size_ - start));
    if (got == 0) return nullptr;
    victim->start = start;
    victim->length = got;
    victim->lastUse = ++clock_;
    return victim;
  }

  ReadAt readAt_;
  uint64_t size_;
  uint64_t clock_ = 0;
  std::array<Piece, kViews> views_{};
  std::size_t viewCount_ = 0;
  std::array<std::unique_ptr<std::byte, FreeBytes>, kViews> heap_;
  std::size_t stackUsed_ = 0;
  // Not value-initialized: that would zero them on each call, and only bytes
  // read into them are ever handed out.
  std::array<std::byte, kStackBytes> stack_;
  std::array<Block, kBlocks> blocks_;
};

}  // namespace peloc
