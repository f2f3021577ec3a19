// A mission's details say the code page its texts were read in: the one
// chosen; with Automatic the one detected, plainly the default for ASCII
// texts (any code page reads them alike), and the default said as such where
// the texts tell none of the code pages offered.
#include "ui/core/mission_details.h"

#include <gtest/gtest.h>

#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

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

}  // namespace
}  // namespace vostrel
