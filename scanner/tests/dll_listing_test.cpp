#include "scanner/dll_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "scanner/tests/listed_names.h"
#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"

namespace vostrel {
namespace {

using testing::TempFolder;
using testing::WriteFile;


TEST(DllListing, ListsOrdinaryDllFilesInAnyLetterCase) {
  const TempFolder folder;
  for (const char* name : {"plain.dll", "UPPER.DLL", "Mixed.DlL", "hidden.dll", "x.dlx", "x.dll.bak", "xdll",
                           "readme.txt", "dll"}) {
    WriteFile(folder / name, "MZ");
  }
  testing::MakeHidden(folder / "hidden.dll");
  std::filesystem::create_directory(folder / "folder.dll");

  const std::vector<std::string> expected{"Mixed.DlL", "UPPER.DLL", "plain.dll"};
  EXPECT_EQ(testing::ListedNamesSorted(folder.str()), expected);
  // A separator at the end of the folder text gives two in a row, which the system takes as one.
  EXPECT_EQ(testing::ListedNamesSorted(folder.str() + testing::kSeparator), expected);
}

TEST(DllListing, EmptyFolderListsNothingAndOneThatCannotBeListedSaysWhy) {
  const TempFolder folder;
  EXPECT_TRUE(testing::ListedNamesSorted(folder.str()).empty());
  WriteFile(folder / "file.dll", "MZ");
  for (const std::string& unlistable : {folder / "missing", folder / "file.dll"}) {  // a file is no folder
    try {
      DllListing listing(unlistable);
      ADD_FAILURE() << unlistable << " listed";
    } catch (const ListingError& error) {
      EXPECT_STRNE(error.what(), "") << unlistable;
    }
  }
  // The first entry is also the last.
  EXPECT_EQ(testing::ListedNamesSorted(folder.str()), std::vector<std::string>{"file.dll"});
}

}  // namespace
}  // namespace vostrel
