// Every name a listing yields, for the listing tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scanner/dll_listing.h"

namespace vostrel::testing {

// In the listing's own order; the listing must stay at its end afterwards.
inline std::vector<std::string> ListedNames(const std::string& folder) {
  DllListing listing(folder);
  std::vector<std::string> names;
  while (auto name = listing.Next()) names.push_back(*name);
  EXPECT_EQ(listing.Next(), std::nullopt);
  return names;
}

// Sorted, where the order between files is not what a test is about.
inline std::vector<std::string> ListedNamesSorted(const std::string& folder) {
  std::vector<std::string> names = ListedNames(folder);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vostrel::testing
