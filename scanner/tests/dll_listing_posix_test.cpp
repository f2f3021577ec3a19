// The Linux listing: dot files are hidden, links are followed, and the names
// come in the order of their upper-cased bytes.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scanner/dll_listing.h"
#include "scanner/tests/listed_names.h"
#include "scanner/tests/test_support.h"

namespace vostrel {
namespace {

using testing::TempFolder;
using testing::WriteFile;


TEST(DllListingPosix, ListsOrdinaryDllFilesByUpperCasedName) {
  const TempFolder folder;
  for (const char* name : {"AB.dll", "ab2.dll", "A_B.dll", "_first.dll", "zeta.dll", "UPPER.DLL", "Mixed.DlL",
                           ".hidden.dll", ".dll", "x.dlx", "x.dll.bak", "xdll", "readme.txt", "dll"}) {
    WriteFile(folder / name, "MZ");
  }
  std::filesystem::create_directory(folder / "folder.dll");
  std::filesystem::create_directory(folder / "real_dir");
  std::filesystem::create_symlink(folder / "zeta.dll", folder / "link.dll");
  std::filesystem::create_symlink(folder / "missing.dll", folder / "dangling.dll");
  std::filesystem::create_directory_symlink(folder / "real_dir", folder / "dirlink.dll");
  // Opening a FIFO for reading waits for a writer: the scan must never get it.
  ASSERT_EQ(::mkfifo((folder / "pipe.dll").c_str(), 0600), 0);

  // "_" (0x5F) sorts after the upper-case letters, "." before the digits.
  const std::vector<std::string> expected{"AB.dll", "ab2.dll", "A_B.dll", "link.dll", "Mixed.DlL",
                                          "UPPER.DLL", "zeta.dll", "_first.dll"};
  EXPECT_EQ(testing::ListedNames(folder.str()), expected);
  EXPECT_EQ(testing::ListedNames(folder.str() + "/"), expected);  // a separator at the end of the folder text
}

}  // namespace
}  // namespace vostrel
