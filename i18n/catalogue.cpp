#include "i18n/catalogue.h"

#include <array>

#include "lookup/byte_reader.h"

namespace vostrel {
namespace {

// The .mo layout (GNU gettext manual, "The Format of GNU MO Files").
constexpr std::uint32_t kMagic = 0x950412de;
constexpr int64_t kRevisionOffset = 4;
constexpr int64_t kCountOffset = 8;
constexpr int64_t kOriginalsOffset = 12;
constexpr int64_t kTranslationsOffset = 16;
constexpr int64_t kEntrySize = 8;  // the length, then the offset, of one string

using Reader = peloc::ByteReader<peloc::MemoryBytes>;

}  // namespace

std::optional<Catalogue> Catalogue::Read(std::span<const std::byte> bytes) {
  peloc::MemoryBytes source(bytes);
  const Reader reader(source);
  const auto magic = reader.U32(0);
  const auto revision = reader.U32(kRevisionOffset);
  const auto count = reader.U32(kCountOffset);
  const auto originals = reader.U32(kOriginalsOffset);
  const auto translations = reader.U32(kTranslationsOffset);
  if (!magic || *magic != kMagic || !revision || *revision != 0 || !count || !originals || !translations ||
      !reader.Contains(*originals, uint64_t{*count} * kEntrySize) ||
      !reader.Contains(*translations, uint64_t{*count} * kEntrySize)) {
    return std::nullopt;
  }
  return Catalogue(bytes, *count, *originals, *translations);
}

std::optional<std::string_view> Catalogue::At(std::uint32_t table, std::uint32_t entry) const {
  if (entry >= count_) return std::nullopt;
  peloc::MemoryBytes source(bytes_);
  const Reader reader(source);
  const int64_t at = int64_t{table} + int64_t{entry} * kEntrySize;
  const auto length = reader.U32(at);
  const auto offset = reader.U32(at + 4);
  std::array<std::byte, 1> terminator{};
  if (!length || !offset || !reader.Read(int64_t{*offset} + *length, terminator) || terminator[0] != std::byte{0}) {
    return std::nullopt;
  }
  return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + *offset, *length);
}

// msgfmt sorts the originals by their bytes: a binary search.
std::optional<std::string_view> Catalogue::Find(std::string_view original) const {
  std::uint32_t low = 0;
  std::uint32_t high = count_;
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    const std::optional<std::string_view> key = Original(middle);
    if (!key) return std::nullopt;
    // A text with a plural holds it after a zero byte; it sorts by what comes before.
    const int order = key->substr(0, key->find('\0')).compare(original);
    if (order == 0) return Translation(middle);
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

}  // namespace vostrel
