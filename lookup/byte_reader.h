// Bounds-checked access to the bytes of an image file.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace peloc {

// A source hands out the file's bytes in contiguous pieces:
//   uint64_t size() const;
//   std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength);
// Fetch is only called with offset < size() and 0 < maxLength <= size() - offset,
// and returns at least one and at most maxLength bytes starting at offset, or an
// empty span when the bytes cannot be had (a failed read).
template <class Source>
class ByteReader {
 public:
  explicit ByteReader(Source& source) : source_(source), size_(source.size()) {}

  uint64_t size() const { return size_; }

  // True when [offset, offset + length) lies inside the file. Offsets are
  // signed 64-bit so that sums and differences of 32-bit fields cannot wrap.
  bool Contains(int64_t offset, uint64_t length) const {
    if (offset < 0) return false;
    const auto start = static_cast<uint64_t>(offset);
    return start <= size_ && length <= size_ - start;
  }

  // Copies out.size() bytes at offset; false if any lies outside the file.
  bool Read(int64_t offset, std::span<std::byte> out) const {
    if (!Contains(offset, out.size())) return false;
    auto position = static_cast<uint64_t>(offset);
    while (!out.empty()) {
      const auto piece = source_.Fetch(position, out.size());
      if (piece.empty()) return false;
      std::copy(piece.begin(), piece.end(), out.begin());
      out = out.subspan(piece.size());
      position += piece.size();
    }
    return true;
  }

  std::optional<uint16_t> U16(int64_t offset) const {
    std::array<std::byte, 2> b{};
    if (!Read(offset, b)) return std::nullopt;
    return static_cast<uint16_t>(std::to_integer<uint16_t>(b[0]) | std::to_integer<uint16_t>(b[1]) << 8);
  }

  std::optional<uint32_t> U32(int64_t offset) const {
    std::array<std::byte, 4> b{};
    if (!Read(offset, b)) return std::nullopt;
    return std::to_integer<uint32_t>(b[0]) | std::to_integer<uint32_t>(b[1]) << 8 |
           std::to_integer<uint32_t>(b[2]) << 16 | std::to_integer<uint32_t>(b[3]) << 24;
  }

  // Compares the zero-terminated string at offset with name, terminator
  // included, stopping at the first differing byte. Empty when the comparison
  // would have to read outside the file.
  std::optional<bool> EqualsCString(int64_t offset, std::string_view name) const {
    if (offset < 0) return std::nullopt;
    auto position = static_cast<uint64_t>(offset);
    std::size_t compared = 0;
    const std::size_t total = name.size() + 1;  // the terminator takes part
    while (compared < total) {
      if (position >= size_) return std::nullopt;
      const auto piece = source_.Fetch(position, std::min<uint64_t>(total - compared, size_ - position));
      if (piece.empty()) return std::nullopt;
      for (const std::byte b : piece) {
        const char expected = compared < name.size() ? name[compared] : '\0';
        if (std::to_integer<unsigned char>(b) != static_cast<unsigned char>(expected)) return false;
        ++compared;
      }
      position += piece.size();
    }
    return true;
  }

 private:
  Source& source_;
  uint64_t size_;
};

// A source over bytes already in memory: a mapped view, or a test's buffer.
class MemoryBytes {
 public:
  explicit MemoryBytes(std::span<const std::byte> bytes) : bytes_(bytes) {}
  uint64_t size() const { return bytes_.size(); }
  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) const {
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(maxLength));
  }

 private:
  std::span<const std::byte> bytes_;
};

}  // namespace peloc
