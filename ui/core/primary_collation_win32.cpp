// Windows' own collation: the first level of a sort key, which holds the
// characters' primary weights (script member and alphanumeric weight, two
// bytes each) ahead of the levels of accents, case and width.
#include <windows.h>

#include <array>

#include "ui/core/primary_collation.h"

namespace vostrel {

// Nothing to open: the system holds its tables.
struct PrimaryCollation::Collator {};

PrimaryCollation::PrimaryCollation() = default;
PrimaryCollation::~PrimaryCollation() = default;

std::optional<std::vector<std::uint32_t>> PrimaryCollation::Weights(char32_t c) {
  std::array<wchar_t, 2> units{};
  int length = 1;
  if (c < 0x10000) {
    units[0] = static_cast<wchar_t>(c);
  } else {
    units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    length = 2;
  }
  // The invariant locale, as ICU's root: no language's own letters. Hyphens
  // and apostrophes weigh as other symbols (string sort), as in ICU's.
  constexpr DWORD kFlags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE | LINGUISTIC_IGNOREDIACRITIC | NORM_IGNOREKANATYPE |
                           NORM_IGNOREWIDTH | SORT_STRINGSORT;
  std::array<BYTE, 64> key{};
  const int size = ::LCMapStringEx(LOCALE_NAME_INVARIANT, kFlags, units.data(), length,
                                   reinterpret_cast<LPWSTR>(key.data()), static_cast<int>(key.size()), nullptr, nullptr, 0);
  if (size <= 0) return std::nullopt;
  // The first level ends at the first separator, 1.
  constexpr BYTE kLevelSeparator = 1;
  std::vector<std::uint32_t> weights;
  for (int i = 0; i < size && key[static_cast<std::size_t>(i)] > kLevelSeparator; i += 2) {
    const std::uint32_t first = key[static_cast<std::size_t>(i)];
    const bool paired = i + 1 < size && key[static_cast<std::size_t>(i) + 1] > kLevelSeparator;
    weights.push_back(paired ? first << 8 | key[static_cast<std::size_t>(i) + 1] : 0x10000 | first);
    if (!paired) break;
  }
  return weights;
}

}  // namespace vostrel
