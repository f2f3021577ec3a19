// Test-only: one table of file names and texts, and the orders the results
// table shows them in, for the portable table's test and both windows' tests.
#pragma once

#include <array>
#include <string_view>

namespace vostrel::testing {

struct SortCaseRow {
  std::string_view dllName;
  std::string_view mapName;
};

// In the listing's order (the order the scan adds them).
inline constexpr std::array<SortCaseRow, 8> kSortCaseRows{{
    {"m10.dll", "delta"},
    {"M9.dll", "Alpha"},
    {"m9.dll", "Alpha"},
    {"m010.dll", "\xC3\x89tang"},  // Étang
    {"b.dll", "\xC3\xA9tang"},     // étang
    {"m2.DLL", "bravo 22"},
    {"a100.dll", "Bravo 10041"},
    {"a20.dll", ""},
}};

// Indices into kSortCaseRows, top to bottom.
using SortCaseOrder = std::array<int, 8>;

// Before any click: the listing's order.
inline constexpr SortCaseOrder kListingOrder{0, 1, 2, 3, 4, 5, 6, 7};
// File names: digits by number, case disregarded; equal so, by bytes
// ("M9" before "m9"); equal numbers, by bytes ("m010" before "m10").
inline constexpr SortCaseOrder kByNameAscending{7, 6, 4, 5, 1, 2, 3, 0};
inline constexpr SortCaseOrder kByNameDescending{0, 3, 2, 1, 5, 4, 6, 7};
// Texts as file names, digits by number ("bravo 22" before "Bravo 10041"),
// case disregarded, the empty text first; equal so, by bytes ("Étang" before
// "étang"); equal texts keep the listing's order either way.
inline constexpr SortCaseOrder kByMapAscending{7, 1, 2, 5, 6, 0, 3, 4};
inline constexpr SortCaseOrder kByMapDescending{4, 3, 0, 6, 5, 1, 2, 7};

}  // namespace vostrel::testing
