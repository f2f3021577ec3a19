// Bounds-checked access to the bytes of an image file.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace peloc {

namespace detail {
inline uint32_t LittleEndianU32(const std::byte* b) {
  return std::to_integer<uint32_t>(b[0]) | std::to_integer<uint32_t>(b[1]) << 8 |
         std::to_integer<uint32_t>(b[2]) << 16 | std::to_integer<uint32_t>(b[3]) << 24;
}
}  // namespace detail

// A part of the file held in one buffer, at the file offset it was read from,
// read by plain indexing: what makes a walk over thousands of names fast.
// What a view does not hold the caller reads through the ByteReader, so a
// view decides only the speed, never an answer.
class ByteView {
 public:
  ByteView(int64_t start, std::span<const std::byte> bytes) : start_(start), bytes_(bytes) {}

  bool Holds(int64_t offset, uint64_t length) const {
    const int64_t within = offset - start_;
    return within >= 0 && static_cast<uint64_t>(within) <= bytes_.size() &&
           length <= bytes_.size() - static_cast<uint64_t>(within);
  }

  std::optional<uint32_t> U32(int64_t offset) const {
    if (!Holds(offset, 4)) return std::nullopt;
    return detail::LittleEndianU32(At(offset));
  }

  // The inner loop of a search of a table of names: the entries [from, count)
  // of the array of 32-bit values at `array` (which this view must hold) each
  // locate a zero-terminated string at value + bias. The first index whose
  // string `strings` does not show to differ from `name`, because it equals it
  // or because `strings` does not hold all of it; `count` when there is none.
  uint64_t FirstNotDiffering(int64_t array, uint64_t from, uint64_t count, int64_t bias, const ByteView& strings,
                             std::string_view name) const {
    const std::byte* entry = At(array) + 4 * from;
    const auto first = static_cast<unsigned char>(name.empty() ? '\0' : name[0]);
    const uint64_t span = strings.bytes_.size();
    const uint64_t length = name.size() + 1;  // the terminator takes part
    for (uint64_t i = from; i < count; ++i, entry += 4) {
      const int64_t within = int64_t{detail::LittleEndianU32(entry)} + bias - strings.start_;
      if (within < 0 || span < length || static_cast<uint64_t>(within) > span - length) return i;
      const auto* stored = reinterpret_cast<const unsigned char*>(strings.bytes_.data()) + within;
      if (stored[0] != first) continue;
      if (stored[name.size()] == 0 && std::memcmp(stored, name.data(), name.size()) == 0) return i;
    }
    return count;
  }

  // The smallest and the largest of the `count` 32-bit values from offset,
  // which the view must hold (count > 0).
  std::pair<uint32_t, uint32_t> U32Bounds(int64_t offset, uint64_t count) const {
    const std::byte* entry = At(offset);
    uint32_t low = UINT32_MAX, high = 0;
    for (uint64_t i = 0; i < count; ++i, entry += 4) {
      const uint32_t value = detail::LittleEndianU32(entry);
      low = std::min(low, value);
      high = std::max(high, value);
    }
    return {low, high};
  }

 private:
  const std::byte* At(int64_t offset) const { return bytes_.data() + (offset - start_); }

  int64_t start_;
  std::span<const std::byte> bytes_;
};

// A source hands out the file's bytes in contiguous pieces:
//   uint64_t size() const;
//   std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength);
// Fetch is only called with offset < size() and 0 < maxLength <= size() - offset,
// and returns at least one and at most maxLength bytes starting at offset, or an
// empty span when the bytes cannot be had (a failed read).
// A source may also offer
//   std::span<const std::byte> View(uint64_t offset, uint64_t length);
// called with 0 < length <= size() - offset: the bytes [offset, offset + length)
// in one piece that lives as long as the source (it may read them now), or
// fewer bytes when it will not hold them so.
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

  // The bytes [offset, offset + length) as one view, when the source offers
  // views and will hold these bytes so; empty otherwise.
  std::optional<ByteView> View(int64_t offset, uint64_t length) const {
    if constexpr (requires { source_.View(uint64_t{}, uint64_t{}); }) {
      if (length == 0 || !Contains(offset, length)) return std::nullopt;
      const auto piece = source_.View(static_cast<uint64_t>(offset), length);
      if (piece.size() == length) return ByteView(offset, piece);
    }
    return std::nullopt;
  }

  std::optional<uint16_t> U16(int64_t offset) const {
    std::array<std::byte, 2> b{};
    if (!Read(offset, b)) return std::nullopt;
    return static_cast<uint16_t>(std::to_integer<uint16_t>(b[0]) | std::to_integer<uint16_t>(b[1]) << 8);
  }

  std::optional<uint32_t> U32(int64_t offset) const {
    std::array<std::byte, 4> b{};
    if (!Read(offset, b)) return std::nullopt;
    return detail::LittleEndianU32(b.data());
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
  std::span<const std::byte> View(uint64_t offset, uint64_t length) const { return Fetch(offset, length); }

 private:
  std::span<const std::byte> bytes_;
};

}  // namespace peloc
