// The Windows listing: what FindFirstFileA's "*.dll" yields, less directories,
// hidden and system files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scanner/dll_listing.h"
#include "scanner/tests/listed_names.h"
#include "ui/win32/tests/win32_test_support.h"

namespace vostrel {
namespace {

using win32::testing::TempFolder;
using win32::testing::WriteFile;


void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
  ASSERT_EQ(::GetFileAttributesA(path.c_str()) & attributes, attributes) << "attributes not kept on " << path;
}

TEST(DllListingWin32, ListsOrdinaryDllFilesInAnyCaseButNoHiddenSystemOrDirectories) {
  const TempFolder folder;
  for (const char* name : {"plain.dll", "UPPER.DLL", "Mixed.DlL", "readonly.dll", "archived.dll", "hidden.dll",
                           "system.dll", "hidden_system.dll", "readme.txt", "x.dlx", "dll"}) {
    WriteFile(folder / name, "MZ");
  }
  ASSERT_TRUE(::CreateDirectoryA((folder / "folder.dll").c_str(), nullptr));
  SetAttributes(folder / "readonly.dll", FILE_ATTRIBUTE_READONLY);
  SetAttributes(folder / "archived.dll", FILE_ATTRIBUTE_ARCHIVE);
  SetAttributes(folder / "hidden.dll", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(folder / "system.dll", FILE_ATTRIBUTE_SYSTEM);
  SetAttributes(folder / "hidden_system.dll", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  const std::vector<std::string> expected{"Mixed.DlL", "UPPER.DLL", "archived.dll", "plain.dll", "readonly.dll"};
  EXPECT_EQ(testing::ListedNamesSorted(folder.str()), expected);
  // A separator at the end of the folder text gives two in a row; the system takes them as one.
  EXPECT_EQ(testing::ListedNamesSorted(folder.str() + "\\"), expected);
}

TEST(DllListingWin32, JoinsWithABackslashAsTyped) {
  EXPECT_STREQ(kPathSeparator, "\\");
  EXPECT_EQ(JoinPath("C:\\Games\\Missions", "m1.dll"), "C:\\Games\\Missions\\m1.dll");
  EXPECT_EQ(JoinPath("C:\\Games\\", "m1.dll"), "C:\\Games\\\\m1.dll");
}

}  // namespace
}  // namespace vostrel
