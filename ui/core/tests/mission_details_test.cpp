// A mission's details, as both details windows show them, read again from
// real files with the real lookup library.
#include "ui/core/mission_details.h"

#include <gtest/gtest.h>

#include <string>

#include "scanner/dll_listing.h"
#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

// The code page the texts were read in: the one chosen; with Automatic the
// one detected, plainly the default for ASCII texts (any code page reads them
// alike), and the default said as such where the texts tell none offered.
TEST(MissionDetails, SayTheCodePageOfTheTexts) {
  const testing::TempFolder folder;
  // In Windows-1250: "Łódź", "Zdobądź most przed świtem, zanim wróg przekroczy rzekę."
  testing::WriteMission(folder / "polish.dll", "\xA3\xF3" "d\x9F",
                        "Zdob\xB9" "d\x9F most przed \x9Cwitem, zanim wr\xF3g przekroczy rzek\xEA.");
  testing::WriteMission(folder / "plain.dll", "Iron Valley", "Build a base.");
  testing::WriteMission(folder / "utf8.dll", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "Zdob\xC4\x85" "d\xC5\xBA most.");
  struct Case {
    CodePage choice;
    const char* file;
    const char* codePage;
    const char* map;  // none: not compared
  };
  const Case cases[] = {
      {1252, "polish.dll", "Western European (1252)", "\xC2\xA3\xC3\xB3" "d\xC5\xB8"},  // "£ódŸ"
      {kAutomaticCodePage, "polish.dll", "Central European (1250), detected", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
      {kAutomaticCodePage, "plain.dll", "Western European (1252)", "Iron Valley"},
      {kAutomaticCodePage, "utf8.dll", "Western European (1252), the default: none detected", nullptr},
  };
  LookupBinding binding;
  for (const Case& c : cases) {
    const MissionDetails details = ReadMissionDetails(binding, folder.str(), c.file, TextDecoding(c.choice, 1252));
    EXPECT_EQ(details.codePage, c.codePage) << c.file;
    if (c.map != nullptr) {
      EXPECT_EQ(details.exports[0].text, c.map) << c.file;
    }
  }
}

using testing::TempFolder;

// Names escaped as the table copies them; offsets unsigned, past 2 GiB too;
// what cannot be read said once, with the system's reason, and no text shown
// as if the mission held it.
TEST(MissionDetails, ShowWhatIsReadAndSayWhatIsNot) {
  const TempFolder folder;
  const std::string odd = "m\x1b[2J\x07\nx.dll";  // ESC, BEL, a line break
  testing::WriteMission(folder / odd, "Odd", "Line one\r\nLine two");
  testing::WriteMissionWithTextsAt(folder / "far.dll", 0x80000000u, "Far", "Two GiB in.");
  testing::WriteMission(folder / "locked.dll", "Locked", "Shut.");
  const testing::UnreadableFile locked(folder / "locked.dll");
  const TempFolder nowhere;
  LookupBinding binding;
  LookupBinding missing({nowhere / testing::kPelocFileName});
  struct Case {
    LookupBinding& binding;
    std::string file;
    std::string shownName;
    std::string problem;
    std::string mapOffset;  // how it begins
    std::string description;
  };
  const Case cases[] = {
      {binding, odd, "m\\x1b[2J\\x07\\nx.dll", "", "", "Line one\nLine two"},
      {binding, "far.dll", "far.dll", "", "2147483648 (0x80000000)", "Two GiB in."},
      {binding, "locked.dll", "locked.dll", "Cannot read locked.dll: Permission denied", "unknown", ""},
      {binding, "gone.dll", "gone.dll", "Cannot read gone.dll: No such file or directory", "unknown", ""},
      {missing, "far.dll", "far.dll",
       "Cannot load the lookup library Peloc: looked for " + nowhere / testing::kPelocFileName + ".", "unknown", ""},
  };
  const TextDecoding windows1252(1252, 1252);
  for (const Case& c : cases) {
    const MissionDetails details = ReadMissionDetails(c.binding, folder.str(), c.file, windows1252);
    EXPECT_EQ(details.file, c.shownName);
    EXPECT_EQ(details.path, JoinPath(folder.str(), c.shownName));
    EXPECT_EQ(details.problem, c.problem) << c.shownName;
    EXPECT_TRUE(details.exports[0].offset.starts_with(c.mapOffset)) << details.exports[0].offset;
    EXPECT_EQ(details.exports[2].text, c.description) << c.shownName;
  }
}

}  // namespace
}  // namespace vostrel
