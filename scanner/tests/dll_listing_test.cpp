#include "dll_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_platform.h"
#include "test_support.h"

namespace vostrel {
namespace {

using testing::TempFolder;
using testing::WriteFile;

// Sorted: the order is each platform's own (dll_listing_posix_test.cpp).
std::vector<std::string> ListSorted(const std::string& folder) {
  DllListing listing(folder);
  std::vector<std::string> names;
  while (auto name = listing.Next()) names.push_back(*name);
  EXPECT_EQ(listing.Next(), std::nullopt);  // stays at the end
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DllListing, ListsOrdinaryDllFilesInAnyLetterCase) {
  const TempFolder folder;
  for (const char* name : {"plain.dll", "UPPER.DLL", "Mixed.DlL", "hidden.dll", "x.dlx", "x.dll.bak", "xdll",
                           "readme.txt", "dll"}) {
    WriteFile(folder / name, "MZ");
  }
  testing::MakeHidden(folder / "hidden.dll");
  std::filesystem::create_directory(folder / "folder.dll");

  const std::vector<std::string> expected{"Mixed.DlL", "UPPER.DLL", "plain.dll"};
  EXPECT_EQ(ListSorted(folder.str()), expected);
  // A separator at the end of the folder text gives two in a row, which the system takes as one.
  EXPECT_EQ(ListSorted(folder.str() + testing::kSeparator), expected);
}

TEST(DllListing, MissingOrEmptyFolderListsNothingALoneFileItself) {
  const TempFolder folder;
  EXPECT_TRUE(ListSorted(folder.str()).empty());
  EXPECT_TRUE(ListSorted(folder / "missing").empty());
  WriteFile(folder / "file.dll", "MZ");
  EXPECT_TRUE(ListSorted(folder / "file.dll").empty());  // a file is no folder
  // The first entry is also the last.
  EXPECT_EQ(ListSorted(folder.str()), std::vector<std::string>{"file.dll"});
}

}  // namespace
}  // namespace vostrel
