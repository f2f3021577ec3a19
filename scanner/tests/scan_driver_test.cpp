#include "scanner/scan_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scanner/dll_listing.h"
#include "scanner/read_ahead.h"
#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

using testing::PlaceDll;
using testing::TempFolder;
using Log = std::vector<std::string>;
namespace texts = testing::texts;

// A text as the log holds it: a long one by its length and a hash, so that
// a failure shows the log readably.
std::string Shown(const std::string& text) {
  if (text.size() <= 10000) return text;
  std::string shown = std::to_string(text.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(text));
  return shown.insert(0, 1, '<') + '>';
}

// Writes down every call the driver makes, in order. Hooks let a test act
// as each file's turn comes (its "Scanning" status), or on a changed folder box.
class RecordingView : public ScanView {
 public:
  explicit RecordingView(std::string folder) : folder_(std::move(folder)) {}

  std::string FolderText() override {
    log.push_back("FolderText");
    return folderText ? folderText() : folder_;
  }
  void ClearRows() override { Record("ClearRows"); }
  void AddRow(const ScanRow& row) override {
    Record("AddRow " + row.dllName + " | " + Shown(row.mapName) + " | " + Shown(row.techName) + " | " +
           Shown(row.levelDesc));
  }
  void AddMessageRow(const std::string& text) override { Record("AddMessageRow " + text); }
  void SetStatus(const std::string& text) override {
    Record("SetStatus " + text);
    if (text.starts_with("Scanning ") && onFile) onFile(++files);
  }
  void ReportProblem(ScanProblem problem, const std::string& text) override {
    const char* const kinds[] = {"FolderUnreadable ", "LookupUnavailable ", "FileUnreadable "};
    Record(kinds[static_cast<int>(problem)] + text);
  }

  Log log;
  int files = 0;
  std::function<void(int file)> onFile;
  std::function<std::string()> folderText;
  bool failEveryUpdate = false;  // the table and the status bar refuse every call

 private:
  void Record(std::string entry) {
    log.push_back(std::move(entry));
    if (failEveryUpdate) throw std::runtime_error("the window refuses");
  }
  std::string folder_;
};

Log Scanned(const std::string& name) { return {"SetStatus Scanning " + name + "..."}; }

Log Scanned(const std::string& name, const std::string& map, const std::string& tech, const std::string& desc) {
  Log steps = Scanned(name);
  steps.push_back("AddRow " + name + " | " + Shown(map) + " | " + Shown(tech) + " | " + Shown(desc));
  return steps;
}

Log Concat(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Log kStart{"FolderText", "ClearRows"};
const Log kFinished{"SetStatus Scan finished."};
const Log kNothingFound{"FolderText", "ClearRows", "AddMessageRow No DLL's found!", "SetStatus No files to scan."};

// Three mission DLLs with their rows in listing order, plus entries that must
// be passed over. The expected orders here are those of the upper-cased names:
// the Linux listing's own, and the order in which Wine (and NTFS) yield names.
struct MissionFolder {
  MissionFolder() {
    PlaceDll("mission_full.dll", folder / "b_full.dll");
    PlaceDll("mission_leveldesc_only.dll", folder / "c_desc.dll");
    PlaceDll("mission_full_x64.dll", folder / "D_X64.DLL");
    testing::MakeHidden(PlaceDll("mission_full.dll", folder / "hidden.dll"));
    std::filesystem::create_directory(folder / "a_folder.dll");
  }
  Log Rows() const {
    return Concat({Scanned("b_full.dll", texts::kFullMap, texts::kFullTech, texts::kFullDesc),
                   Scanned("c_desc.dll", "", "", texts::kDescOnly),
                   Scanned("D_X64.DLL", texts::kX64Map, texts::kX64Tech, texts::kX64Desc)});
  }
  TempFolder folder;
};

// Copies of the test missions in turn, more of them than any scan here reads
// ahead, named m000.dll, m001.dll, ...
struct ManyMissions {
  static constexpr std::size_t kMostWorkers = 8;
  explicit ManyMissions(const testing::TempFolder& folder) {
    struct Mission {
      const char* dll;
      std::string map, tech, desc;
    };
    const Mission missions[] = {{"mission_full.dll", texts::kFullMap, texts::kFullTech, texts::kFullDesc},
                                {"mission_high_bytes.dll", texts::kHighMap, texts::kHighTech, texts::kHighDesc},
                                {"mission_long_desc.dll", texts::kLongMap, texts::kLongTech, texts::LongDesc()},
                                {"mission_full_x64.dll", texts::kX64Map, texts::kX64Tech, texts::kX64Desc},
                                {"mission_leveldesc_only.dll", "", "", texts::kDescOnly}};
    const std::size_t count = FilesAhead(std::max(kMostWorkers, DefaultScanWorkers())) + 4;
    for (std::size_t i = 0; i < count; ++i) {
      std::string name = std::to_string(1000 + i) + ".dll";
      name[0] = 'm';
      const Mission& mission = missions[i % std::size(missions)];
      PlaceDll(mission.dll, folder / name);
      rows = Concat({rows, Scanned(name, mission.map, mission.tech, mission.desc)});
    }
  }
  Log rows;
};

TEST(ScanDriver, ScansARealFolder) {
  const TempFolder folder;
  PlaceDll("mission_full.dll", folder / "mission_full.dll");
  PlaceDll("mission_leveldesc_only.dll", folder / "mission_leveldesc_only.dll");
  PlaceDll("mission_high_bytes.dll", folder / "mission_high_bytes.dll");
  PlaceDll("mission_long_desc.dll", folder / "mission_long_desc.dll");
  PlaceDll("mission_full_x64.dll", folder / "MISSION_X64.DLL");
  PlaceDll("functions_only.dll", folder / "functions_only.dll");
  testing::WriteFile(folder / "not_pe.dll", "This file only has a DLL's name.\n");
  testing::MakeHidden(PlaceDll("mission_full.dll", folder / "hidden.dll"));
  PlaceDll("mission_full.dll", folder / "mission_full.dlx");
  std::filesystem::create_directory(folder / "sub.dll");

  RecordingView view(folder.str());
  LookupBinding binding;
  ScanDriver driver(view, binding, 1252);
  driver.cmdScan_Click();

  const Log expected = Concat({kStart, Scanned("functions_only.dll"),
                               Scanned("mission_full.dll", texts::kFullMap, texts::kFullTech, texts::kFullDesc),
                               Scanned("mission_high_bytes.dll", texts::kHighMap, texts::kHighTech, texts::kHighDesc),
                               Scanned("mission_leveldesc_only.dll", "", "", texts::kDescOnly),
                               Scanned("mission_long_desc.dll", texts::kLongMap, texts::kLongTech, texts::LongDesc()),
                               Scanned("MISSION_X64.DLL", texts::kX64Map, texts::kX64Tech, texts::kX64Desc),
                               Scanned("not_pe.dll"), kFinished});
  EXPECT_EQ(view.log, expected);
  EXPECT_FALSE(driver.IsScanning());
}

// The log with the system's words after "Cannot list X: " and "Cannot read
// Y: " as "<why>" (they differ between systems), when there are any.
Log WithReasonsHidden(Log log) {
  for (std::string& entry : log) {
    if (!entry.starts_with("FolderUnreadable ") && !entry.starts_with("FileUnreadable ")) continue;
    const std::size_t colon = entry.rfind(": ");
    if (colon != std::string::npos && colon + 2 < entry.size()) entry.replace(colon + 2, std::string::npos, "<why>");
  }
  return log;
}

// What cannot be read is said, with the system's reason, as the scan meets it;
// the empty table's row and status stay.
TEST(ScanDriver, SaysWhatCannotBeRead) {
  const TempFolder folder;
  testing::WriteFile(folder / "file.txt", "not a folder");
  std::filesystem::create_directory(folder / "empty");
  std::filesystem::create_directory(folder / "unlisted");
  std::filesystem::create_directory(folder / "closed");
  PlaceDll("mission_full.dll", folder / "closed/a.dll");
  PlaceDll("mission_full.dll", folder / "closed/b.dll");
  std::filesystem::create_directory(folder / "passed_over");
  testing::MakeHidden(PlaceDll("mission_full.dll", folder / "passed_over/hidden.dll"));
  PlaceDll("mission_full.dll", folder / "passed_over/mission.dll.bak");
  std::filesystem::create_directory(folder / "passed_over/x.dll");
  const auto unlisted = [&](const std::string& name) {
    return Log{"FolderText", "ClearRows", "AddMessageRow No DLL's found!",
               "FolderUnreadable Cannot list " + (folder / name) + ": <why>", "SetStatus No files to scan."};
  };
  using Perms = std::filesystem::perms;
  struct Case {
    const char* folder;
    Log expected;
    std::optional<Perms> left;  // the folder's permissions while it is scanned
  };
  const Case cases[] = {
      {"empty", kNothingFound, {}},
      {"passed_over", kNothingFound, {}},
      {"missing", unlisted("missing"), {}},
      {"file.txt", unlisted("file.txt"), {}},
      {"unlisted", unlisted("unlisted"), Perms::owner_exec},
      // Listed, but not entered: no file opens.
      {"closed",
       Concat({kStart, Scanned("a.dll"), {"FileUnreadable Cannot read a.dll: <why>"}, Scanned("b.dll"),
               {"FileUnreadable Cannot read b.dll: <why>"}, kFinished}),
       Perms::owner_read},
  };
  LookupBinding binding;
  for (const Case& c : cases) {
    if (c.left && !testing::kFolderPermissions) continue;
    std::optional<testing::UnreadableFile> locked;
    if (c.left) locked.emplace(folder / c.folder, *c.left);
    for (const std::size_t workers : {std::size_t{1}, std::size_t{4}}) {
      RecordingView view(folder / c.folder);
      ScanDriver(view, binding, 1252, kWholeText, workers).cmdScan_Click();
      EXPECT_EQ(WithReasonsHidden(view.log), c.expected) << c.folder << ", " << workers << " workers";
    }
  }
}

// Texts that lie at and past 2 GiB into a file (sparse files) are read, as
// the lookup's unsigned offsets say: held as signed, they dropped the file
// without a word.
TEST(ScanDriver, ReadsTextsAtAndPast2GiB) {
  const TempFolder folder;
  testing::WriteMissionWithTextsAt(folder / "at.dll", 0x80000000u, "At", "Two GiB in.");
  testing::WriteMissionWithTextsAt(folder / "top.dll", 0xFFFFFE00u, "Top", "Near 4 GiB.");
  LookupBinding binding;
  RecordingView view(folder.str());
  ScanDriver(view, binding, 1252).cmdScan_Click();
  EXPECT_EQ(view.log, Concat({kStart, Scanned("at.dll", "At", "Standard Techtree", "Two GiB in."),
                              Scanned("top.dll", "Top", "Standard Techtree", "Near 4 GiB."), kFinished}));
}

// Every file is still walked, every lookup tried again; the missing library
// is said once per scan, naming where it was looked for. A library copied in
// during a scan, first cut short, then whole, is said as damaged, then bound
// for the next file (one worker: each file is looked up as its row comes).
TEST(ScanDriver, WithoutTheLibraryWalksEveryFileAndSaysSo) {
  const MissionFolder mission;
  const TempFolder nowhere;
  const std::string library = nowhere / testing::kPelocFileName;
  LookupBinding binding({library});
  RecordingView view(mission.folder.str());
  ScanDriver driver(view, binding, 1252);
  const Log once = Concat({kStart, Scanned("b_full.dll"),
                           {"LookupUnavailable Cannot load the lookup library Peloc: looked for " + library + "."},
                           Scanned("c_desc.dll"), Scanned("D_X64.DLL"), kFinished});
  driver.cmdScan_Click();
  driver.cmdScan_Click();
  EXPECT_EQ(view.log, Concat({once, once}));

  const std::string whole = testing::ReadFile(VOSTREL_PELOC_LIBRARY);
  RecordingView copying(mission.folder.str());
  copying.onFile = [&](int pass) {
    if (pass <= 2) testing::WriteFile(library, std::string_view(whole).substr(0, pass == 1 ? 4096 : whole.size()));
  };
  ScanDriver(copying, binding, 1252, kWholeText, 1).cmdScan_Click();
  EXPECT_EQ(copying.log, Concat({kStart, Scanned("b_full.dll"),
                                 {"LookupUnavailable Cannot load the lookup library Peloc: " + library +
                                  " is damaged or incomplete; looked for " + library + "."},
                                 Scanned("c_desc.dll", "", "", texts::kDescOnly),
                                 Scanned("D_X64.DLL", texts::kX64Map, texts::kX64Tech, texts::kX64Desc), kFinished}));
}

TEST(ScanDriver, UsesTheFolderTextAsTyped) {
  const MissionFolder mission;
  // A separator at the end is kept: the paths hold two in a row, which the
  // file system reads as one.
  const std::string typed = mission.folder.str() + testing::kSeparator;
  EXPECT_EQ(JoinPath(typed, "b_full.dll"), typed + testing::kSeparator + "b_full.dll");
  LookupBinding binding;
  RecordingView view(typed);
  ScanDriver(view, binding, 1252).cmdScan_Click();
  EXPECT_EQ(view.log, Concat({kStart, mission.Rows(), kFinished}));
}

TEST(ScanDriver, SecondScanClearsTheTableAndFindsTheSameRows) {
  const MissionFolder mission;
  LookupBinding binding;
  RecordingView view(mission.folder.str());
  ScanDriver driver(view, binding, 1252);
  driver.cmdScan_Click();
  driver.cmdScan_Click();
  const Log once = Concat({kStart, mission.Rows(), kFinished});
  EXPECT_EQ(view.log, Concat({once, once}));
}

// With workers busy on the files after it, and none left running after it.
TEST(ScanDriver, StopEndsTheScanBeforeItsNextFile) {
  const TempFolder folder;
  const ManyMissions many(folder);
  LookupBinding binding;
  // ThreadSanitizer starts a thread of its own with the process's first one.
  std::jthread([] {}).join();
  for (const std::size_t workers : {std::size_t{1}, ManyMissions::kMostWorkers}) {
    RecordingView view(folder.str());
    ScanDriver driver(view, binding, 1252, kWholeText, workers);
    driver.RequestStop();  // no scan running: has no effect on the next one
    view.onFile = [&](int pass) {
      if (pass == 2) driver.RequestStop();
    };
    const std::size_t threads = testing::ThreadCount();
    driver.cmdScan_Click();
    // The system may list a joined thread for a moment after the join.
    EXPECT_TRUE(testing::Eventually([&] { return testing::ThreadCount() == threads; }))
        << workers << " workers: " << testing::ThreadCount() << " threads, " << threads << " before";
    const Log firstRows(many.rows.begin(), many.rows.begin() + 4);  // the second file was in hand
    EXPECT_EQ(view.log, Concat({kStart, firstRows, {"SetStatus Scan stopped."}}))
        << workers << " workers";
    EXPECT_FALSE(driver.IsScanning());

    // The request ended with that scan.
    view.log.clear();
    view.onFile = nullptr;
    driver.cmdScan_Click();
    EXPECT_EQ(view.log, Concat({kStart, many.rows, kFinished})) << workers << " workers";
  }
}

// A rescan reads the folder of the last scan, whatever the box says now.
TEST(ScanDriver, RescanReadsTheLastScannedFolderAgain) {
  const MissionFolder mission;
  const TempFolder other;
  LookupBinding binding;
  RecordingView view(mission.folder.str());
  ScanDriver driver(view, binding, 1252);
  driver.Rescan();
  EXPECT_EQ(view.log, Log{}) << "nothing scanned yet";
  driver.cmdScan_Click();
  view.folderText = [&] { return other.str(); };
  view.log.clear();
  driver.Rescan();
  EXPECT_EQ(view.log, Concat({{"ClearRows"}, mission.Rows(), kFinished}));
}

TEST(ScanDriver, ReadsTheFolderTextOnce) {
  const MissionFolder mission;
  // The same names in another folder, with other contents.
  const TempFolder other;
  for (const char* name : {"b_full.dll", "c_desc.dll", "D_X64.DLL"}) PlaceDll("functions_only.dll", other / name);
  LookupBinding binding;
  RecordingView view(mission.folder.str());
  bool typed = false;
  view.folderText = [&] {
    const std::string text = typed ? other.str() : mission.folder.str();
    typed = true;  // the user edits the box as soon as the scan starts
    return text;
  };
  ScanDriver(view, binding, 1252).cmdScan_Click();
  EXPECT_EQ(view.log, Concat({kStart, mission.Rows(), kFinished}));
}

// The same view calls in the same order whatever the number of workers: with
// a damaged mission whose description runs on to the end of the file, files
// that are no mission, one that cannot be opened and one that vanishes during
// the scan (after the first file: later than any worker reads ahead); the
// same with Peloc 1.0 (GetOffset alone) beside the program; and the same
// without the library.
TEST(ScanDriver, GivesTheSameRowsWhateverTheWorkers) {
  const TempFolder folder;
  const ManyMissions many(folder);
  constexpr std::size_t kFiller = 200000;  // more than a worker reads ahead of a text
  testing::WriteMission(folder / "damaged.dll", "Damaged", "Runs on ", kFiller);
  PlaceDll("functions_only.dll", folder / "functions_only.dll");
  PlaceDll("mission_full.dll", folder / "locked.dll");
  testing::WriteFile(folder / "not_pe.dll", "This file only has a DLL's name.\n");
  // Last in the listing. Whether its name is still listed once it is gone is
  // the platform's: Linux lists the folder when the scan starts, Windows as
  // the scan goes. Either way it has no row.
  const std::string vanishing = folder / "zz_vanishing.dll";
  const Log vanishingFile = Scanned("zz_vanishing.dll");
  const auto withoutVanishingFile = [&](Log log) {
    const auto found = std::search(log.begin(), log.end(), vanishingFile.begin(), vanishingFile.end());
    if (found != log.end()) log.erase(found, found + static_cast<std::ptrdiff_t>(vanishingFile.size()));
    return log;
  };

  const Log withLibrary =
      Concat({kStart, Scanned("damaged.dll", "Damaged", "Standard Techtree", "Runs on " + testing::FillerText(kFiller)),
              Scanned("functions_only.dll"), Scanned("locked.dll"),
              {"FileUnreadable Cannot read locked.dll: <why>"}, many.rows, Scanned("not_pe.dll"), kFinished});
  Log withoutLibrary;
  for (const std::string& entry : withLibrary) {
    if (!entry.starts_with("AddRow")) withoutLibrary.push_back(entry);
  }
  const TempFolder nowhere;
  const std::string library = nowhere / testing::kPelocFileName;
  withoutLibrary.insert(withoutLibrary.begin() + 3,
                        "LookupUnavailable Cannot load the lookup library Peloc: looked for " + library + ".");

  LookupBinding bound;
  ASSERT_GT(bound.GetOffset(testing::TestDll("mission_full.dll"), "MapName"), 0u);
  LookupBinding older({VOSTREL_PELOC_1_0_LIBRARY});
  ASSERT_GT(older.GetOffset(testing::TestDll("mission_full.dll"), "MapName"), 0u);
  const testing::UnreadableFile locked(folder / "locked.dll");
  for (const std::size_t workers : {std::size_t{1}, std::size_t{2}, DefaultScanWorkers()}) {
    for (const std::string_view peloc : {"1.1", "1.0", "none"}) {
      PlaceDll("mission_full.dll", vanishing);
      LookupBinding missing({library});
      RecordingView view(folder.str());
      view.onFile = [&](int pass) {
        if (pass == 1) std::filesystem::remove(vanishing);
      };
      ScanDriver(view, peloc == "1.1" ? bound : peloc == "1.0" ? older : missing, 1252, kWholeText, workers)
          .cmdScan_Click();
      EXPECT_EQ(WithReasonsHidden(withoutVanishingFile(view.log)), peloc == "none" ? withoutLibrary : withLibrary)
          << workers << " workers, Peloc " << peloc;
    }
  }
}

TEST(ScanDriver, GoesOnWhenTheWindowRefusesUpdates) {
  const MissionFolder mission;
  LookupBinding binding;
  {
    RecordingView view(mission.folder.str());
    view.failEveryUpdate = true;
    ScanDriver driver(view, binding, 1252);
    driver.cmdScan_Click();
    EXPECT_EQ(view.log, Concat({kStart, mission.Rows(), kFinished}));
    EXPECT_FALSE(driver.IsScanning());
  }
  {
    const TempFolder empty;
    RecordingView view(empty.str());
    view.failEveryUpdate = true;
    ScanDriver(view, binding, 1252).cmdScan_Click();
    EXPECT_EQ(view.log, kNothingFound);
  }
}

}  // namespace
}  // namespace vostrel
