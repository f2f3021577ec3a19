// A compiled message catalogue (.mo, as GNU msgfmt writes it), read in place:
// the table of original texts, sorted, and beside it the table of their
// translations. Every string is checked against the bytes when it is read: a
// string that lies outside them, or lacks its terminating zero, is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vostrel {

class Catalogue {
 public:
  // None when the bytes are no little-endian catalogue of revision 0 or its
  // tables lie outside them.
  static std::optional<Catalogue> Read(std::span<const std::byte> bytes);

  // The translation of `original` (a context first, then "\x04", where the
  // text has one); a text with plural forms keeps them one after the other,
  // each ending in a zero byte. None when the catalogue lacks it.
  std::optional<std::string_view> Find(std::string_view original) const;

  // The entries in the catalogue's order; entry 0 is the header (""). An
  // original with a plural holds it after the singular and a zero byte.
  std::uint32_t size() const { return count_; }
  // None for a string that lies outside the bytes.
  std::optional<std::string_view> Original(std::uint32_t entry) const { return At(originals_, entry); }
  std::optional<std::string_view> Translation(std::uint32_t entry) const { return At(translations_, entry); }

 private:
  Catalogue(std::span<const std::byte> bytes, std::uint32_t count, std::uint32_t originals,
            std::uint32_t translations)
      : bytes_(bytes), count_(count), originals_(originals), translations_(translations) {}
  std::optional<std::string_view> At(std::uint32_t table, std::uint32_t entry) const;

  std::span<const std::byte> bytes_;
  std::uint32_t count_;
  std::uint32_t originals_;     // offset of the table of (length, offset) pairs
  std::uint32_t translations_;  // the same for the translations
};

}  // namespace vostrel
