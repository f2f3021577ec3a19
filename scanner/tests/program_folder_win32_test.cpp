#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scanner/program_folder.h"
#include "ui/win32/tests/win32_test_support.h"

namespace vostrel {
namespace {

using win32::testing::CurrentFolder;
using win32::testing::Exists;
using win32::testing::TempFolder;

TEST(ProgramFolderWin32, IsTheFullFolderOfTheExecutableWhateverTheCurrentFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_GE(folder.size(), 2u);
  EXPECT_TRUE(folder[1] == ':' || folder.starts_with("\\\\")) << folder;  // a drive or a share
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(Exists(folder + "\\Peloc.dll")) << folder;  // built beside the test program
  EXPECT_TRUE(Exists(folder + "\\vostrel_win32_tests.exe")) << folder;

  const TempFolder elsewhere;
  const CurrentFolder inElsewhere(elsewhere.str());
  EXPECT_EQ(ProgramFolder(), folder);
}

}  // namespace
}  // namespace vostrel
