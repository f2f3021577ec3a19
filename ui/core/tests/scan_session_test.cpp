// The scan session as both windows run it, through a window that records what
// it is shown, on real folders of missions written by the test PE writer and
// the real lookup library beside this program.
#include "ui/core/scan_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "scanner/tests/hanging_folder.h"
#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;
using Clock = ScanSession::Clock;

// Stands in for a window: its event loop (what is posted, from any thread;
// timers in the test's own time) and what it is shown.
class RecordingWindow : public EventLoop, public SessionView {
 public:
  std::string FolderText() override { return folder; }
  void Post(Call call) override {
    const std::lock_guard lock(mutex_);
    posted_.push_back(std::move(call));
    postedChanged_.notify_all();
  }
  void PostAfter(std::chrono::milliseconds delay, Call call) override {
    timers.emplace_back(elapsed + delay, std::move(call));
  }
  bool WatchFolder(const std::string& watch, FolderChanged changed) override {
    watched = watch;
    onChange = canWatch ? std::move(changed) : nullptr;
    return canWatch;
  }
  void StopWatching() override {
    watched.clear();
    onChange = nullptr;
  }
  void TableCleared() override { rows.clear(); }
  void TableChanged(const TableChange& change) override {
    ++tableChanges;
    rows.clear();
    for (std::size_t i = 0; i < session->table().size(); ++i) rows.push_back(session->table().Row(i));
    if (onTableChanged) onTableChanged(change.countRowsBelowView);
  }
  void ShowStatus(const std::string& text) override {
    status = text;
    statuses.push_back(text);
  }
  void ShowFollowing(const std::string& text) override { following = text; }
  void ScanEnded() override { ++scansEnded; }

  // Runs what is posted until nothing is; false when nothing was.
  bool RunEventLoop() {
    bool ran = false;
    while (true) {
      std::vector<Call> calls;
      {
        const std::lock_guard lock(mutex_);
        calls.swap(posted_);
      }
      if (calls.empty()) return ran;
      ran = true;
      for (auto& call : calls) call();
    }
  }
  // The event loop, its timers run as soon as nothing else is to be done,
  // until `done` holds: it waits for what other threads post meanwhile.
  template <class Done>
  void RunUntil(Done done) {
    while (!done()) {
      if (RunEventLoop()) continue;
      if (!timers.empty()) {
        RunNextTimer();
        continue;
      }
      std::unique_lock lock(mutex_);
      ASSERT_TRUE(postedChanged_.wait_for(lock, std::chrono::seconds(60), [this] { return !posted_.empty(); }))
          << "nothing came";
    }
  }
  // Until no scan runs and nothing is posted.
  void RunUntilIdle() {
    RunUntil([this] {
      const std::lock_guard lock(mutex_);
      return !session->IsScanning() && posted_.empty();
    });
  }
  // The event loop for `time`, its timers run when due; the files the
  // session reads again are read as soon as it asks (the test's time stands
  // still meanwhile).
  void RunFor(std::chrono::milliseconds time) {
    const auto end = elapsed + time;
    RunReads();
    while (!timers.empty() && NextTimer()->first <= end) {
      RunNextTimer();
      RunReads();
    }
    elapsed = end;
  }
  void RunReads() {
    while (true) {
      RunEventLoop();
      if (!session->IsReadingChanges()) return;
      std::unique_lock lock(mutex_);
      ASSERT_TRUE(postedChanged_.wait_for(lock, std::chrono::seconds(60), [this] { return !posted_.empty(); }))
          << "no read came in";
    }
  }
  // The system reports a change of the folder watched.
  void Report(const FolderEvents& events = {{}, true, false}) {
    if (onChange) onChange(events);
  }
  std::vector<std::string> FirstColumn() const {
    std::vector<std::string> names;
    for (const TableRow& row : rows) names.push_back(row.texts.dllName);
    return names;
  }

  const ScanSession* session = nullptr;
  std::string folder;
  std::chrono::milliseconds elapsed{0};
  std::vector<std::pair<std::chrono::milliseconds, Call>> timers;
  std::string watched;
  FolderChanged onChange;
  bool canWatch = true;
  std::string following;
  std::vector<std::string> statuses;
  std::vector<TableRow> rows;
  std::string status = "Ready";
  int tableChanges = 0;
  int scansEnded = 0;
  std::function<void(bool)> onTableChanged;

 private:
  using Timers = std::vector<std::pair<std::chrono::milliseconds, Call>>;
  Timers::iterator NextTimer() {
    return std::min_element(timers.begin(), timers.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  void RunNextTimer() {
    const auto due = NextTimer();
    elapsed = std::max(elapsed, due->first);
    const Call call = std::move(due->second);
    timers.erase(due);
    call();
    RunEventLoop();
  }

  std::mutex mutex_;
  std::condition_variable postedChanged_;
  std::vector<Call> posted_;
};

std::string Numbered(int i) {
  const std::string number = "000" + std::to_string(i);
  return "m" + number.substr(number.size() - 4) + ".dll";
}

// `count` missions m0000.dll... named in listing order, links to one written
// mission; plus a0_moscow.dll, first, whose map name is "Москва" in Windows-1251.
struct Missions {
  explicit Missions(int count) {
    testing::WriteMission(folder / "a0_moscow.dll", "\xCC\xEE\xF1\xEA\xE2\xE0", "Moscow");
    testing::WriteMission(folder / "mission.tmp", "Crater Basin", "Hold the ridge.");
    for (int i = 0; i < count; ++i) std::filesystem::create_hard_link(folder / "mission.tmp", folder / Numbered(i));
  }
  TempFolder folder;
};

constexpr char kMoscow1252[] = "\xC3\x8C\xC3\xAE\xC3\xB1\xC3\xAA\xC3\xA2\xC3\xA0";  // the same bytes in 1252: Ìîñêâà
constexpr char kMoscow1251[] = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";  // Москва
constexpr int kMany = 40;

// What a user asks for during a scan, and what the table shows once the
// window's event loop has run dry: the scanned folder is one whose last
// file's read hangs (a FUSE file system the test serves), so that the scan
// runs, every row before that file shown, until the test lets the read answer.
TEST(ScanSession, SchedulesWhatIsAskedForDuringAScan) {
  const Missions many(kMany);
  const Missions other(2);
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(many.folder.path())) {
    if (entry.path().extension() == ".dll") files[entry.path().filename().string()] = testing::ReadFile(entry.path());
  }
  files["zz_hangs.dll"] = "no mission";
  struct Case {
    const char* what;
    std::function<void(ScanSession&, RecordingWindow&)> act;
    bool otherScanned;  // the last scan's folder: the other, or the one that hangs
    std::string status;
    std::string firstMap;
    int scans;
  };
  const std::string otherFolder = other.folder.str();
  const Case cases[] = {
      {"Scan during a scan is refused",
       [](ScanSession& session, RecordingWindow&) {
         for (int i = 0; i < 3; ++i) session.Scan();
       },
       false, "Scan finished.", kMoscow1252, 1},
      {"Escape stops the scan at once; its rows stay", [](ScanSession& session, RecordingWindow&) { session.Stop(); },
       false, "Scan stopped.", kMoscow1252, 1},
      {"a folder from outside stops the scan and is scanned after it",
       [&](ScanSession& session, RecordingWindow& window) {
         window.folder = otherFolder;
         session.ScanFolderBoxSoon();
       },
       true, "Scan finished.", kMoscow1252, 2},
      {"a code page chosen stops the scan and reads the folder again in it",
       [](ScanSession& session, RecordingWindow&) { session.ChooseCodePage(1251); }, false, "Scan finished.",
       kMoscow1251, 2},
      {"a new folder outweighs a reread, and is read in the code page chosen",
       [&](ScanSession& session, RecordingWindow& window) {
         session.ChooseCodePage(1251);
         window.folder = otherFolder;
         session.ScanFolderBoxSoon();
       },
       true, "Scan finished.", kMoscow1251, 2},
      {"closing stops the scan and drops the one asked for",
       [&](ScanSession& session, RecordingWindow& window) {
         window.folder = otherFolder;
         session.ScanFolderBoxSoon();
         session.Close();
       },
       false, "Scan stopped.", kMoscow1252, 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    std::optional<testing::HangingFolder> hanging;
    try {
      hanging.emplace(files, std::set<std::string>{"zz_hangs.dll"});
    } catch (const testing::NoFuse& error) {
      GTEST_SKIP() << error.what();
    }
    RecordingWindow window;
    ScanSession session(window, window, std::make_shared<LookupBinding>(), FramePacing{0ms});
    window.session = &session;
    session.ChooseCodePage(1252);
    window.RunEventLoop();
    window.folder = hanging->str();
    session.Scan();
    window.RunUntil([&] { return window.rows.size() == kMany + 1u; });
    ASSERT_TRUE(hanging->WaitForHangingRead());
    window.RunEventLoop();
    EXPECT_TRUE(session.IsScanning());
    test.act(session, window);
    hanging->Release();
    window.RunUntilIdle();

    EXPECT_EQ(window.scansEnded, test.scans);
    ASSERT_EQ(window.rows.size(), test.otherScanned ? 3u : kMany + 1u);
    EXPECT_EQ(window.rows.back().texts.dllName, Numbered(test.otherScanned ? 1 : kMany - 1));
    EXPECT_EQ(window.status, test.status);
    EXPECT_EQ(window.rows[0].texts.mapName, test.firstMap);
  }
}

TEST(ScanSession, ACodePageThatCannotBeDecodedChangesOnlyTheStatus) {
  const Missions one(1);
  RecordingWindow window;
  ScanSession session(window, window, std::make_shared<LookupBinding>(), FramePacing{0ms});
  window.session = &session;
  session.ChooseCodePage(1252);
  window.folder = one.folder.str();
  session.Scan();
  window.RunUntilIdle();
  const std::vector<TableRow> before = window.rows;

  session.ChooseCodePage(65001);
  window.RunEventLoop();
  EXPECT_EQ(session.codePage(), 1252u);
  EXPECT_EQ(window.scansEnded, 1);
  EXPECT_EQ(window.status.rfind("Cannot read texts in code page 65001: ", 0), 0u) << window.status;
  ASSERT_EQ(window.rows.size(), before.size());
  EXPECT_EQ(window.rows[0].texts.mapName, kMoscow1252);
}

// Without the lookup library every file is still walked, and the table says
// where the library was looked for, in a row of its own.
TEST(ScanSession, AMissingLibraryIsSaidInTheTable) {
  const Missions two(2);
  RecordingWindow window;
  const std::string missing = two.folder / "absent/libPeloc.so";
  ScanSession session(window, window, std::make_shared<LookupBinding>(std::vector<std::string>{missing}),
                      FramePacing{0ms});
  window.session = &session;
  window.folder = two.folder.str();
  session.Scan();
  window.RunUntilIdle();
  EXPECT_EQ(window.status, "Scan finished.");
  ASSERT_EQ(window.rows.size(), 1u);
  EXPECT_TRUE(window.rows[0].isMessage);
  EXPECT_EQ(window.rows[0].texts.dllName.rfind("Cannot load the lookup library Peloc", 0), 0u);
  EXPECT_NE(window.rows[0].texts.dllName.find(missing), std::string::npos);
}

// The table keeps of each text what its cell shows, so that cells and
// tooltips show what the whole text would give them; a copy of a row so cut
// reads its file again, as it is now (the row as kept when the file is gone or
// holds no text any more), and a row kept whole is copied without a read.
TEST(ScanSession, KeepsWhatACellShowsAndCopiesCutRowsFromTheFile) {
  constexpr std::size_t N = kCellCharacters;
  const std::string cut(kCutMark);
  const auto repeat = [](const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
  };
  const std::string euro = "\xE2\x82\xAC";  // byte 0x80 in 1252
  struct Case {
    const char* file;
    std::function<void(const std::string&)> write;
    std::string kept;   // the description the table keeps
    std::string whole;  // the description copied
    std::function<void(const std::string&)> change;
    std::string copiedAfter;  // the description copied after the change
  };
  const auto mission = [](std::string description) {
    return [description](const std::string& path) { testing::WriteMission(path, "Map", description); };
  };
  const Case cases[] = {
      {"a1.dll", mission(std::string(N, 'w')), std::string(N, 'w'), std::string(N, 'w'), mission("Changed"),
       std::string(N, 'w')},
      {"a2.dll", mission(std::string(N + 1, 'p')), std::string(N, 'p') + cut, std::string(N + 1, 'p'),
       [](const std::string& path) { std::filesystem::remove(path); }, std::string(N, 'p') + cut},
      {"a3.dll", mission(repeat("\r\n", N) + "x"), repeat("\r\n", N) + cut, repeat("\r\n", N) + "x",
       mission("Changed"), "Changed"},
      {"a4.dll",
       [](const std::string& path) { testing::WriteDamagedMission(path, "Map", kFullTextBytes + (1u << 20), '\x80'); },
       repeat(euro, N) + cut, repeat(euro, kFullTextBytes) + cut,
       [](const std::string& path) { testing::WriteFile(path, "no longer a DLL"); }, repeat(euro, N) + cut},
  };
  const TempFolder folder;
  for (const Case& c : cases) c.write(folder / c.file);
  RecordingWindow window;
  ScanSession session(window, window, std::make_shared<LookupBinding>(), FramePacing{0ms});
  window.session = &session;
  session.ChooseCodePage(1252);
  session.SortByColumn(0);
  window.folder = folder.str();
  session.Scan();
  window.RunUntilIdle();
  const ResultTable& table = session.table();
  ASSERT_EQ(table.size(), std::size(cases));
  const auto line = [](const Case& c, const std::string& description) {
    return RowLine({c.file, "Map", "Standard Techtree", description});
  };
  const auto copied = [&](std::size_t row) {  // handed back through the event loop when read again
    std::optional<std::string> lines;
    session.CopyRows({row}, [&lines](const std::string& text) { lines = text; });
    window.RunUntil([&lines] { return lines.has_value(); });
    return *lines;
  };

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    const TableRow& row = table.Row(i);
    EXPECT_EQ(row.texts.dllName, c.file);
    EXPECT_TRUE(row.texts.levelDesc == c.kept) << row.texts.levelDesc.size() << " bytes kept";
    EXPECT_EQ(row.cut, c.kept != c.whole);
    EXPECT_EQ(CellText(row.texts.levelDesc), CellText(c.whole));
    EXPECT_EQ(TipText(row.texts.levelDesc), TipText(c.whole));
    EXPECT_TRUE(copied(i) == line(c, c.whole));
  }
  // A copy asked for later wins, though an earlier one's reads end after it.
  bool earlierHanded = false;
  session.CopyRows({3}, [&earlierHanded](const std::string&) { earlierHanded = true; });
  session.CopyRows({0}, [](const std::string&) {});
  EXPECT_TRUE(copied(3) == line(cases[3], cases[3].whole));
  EXPECT_FALSE(earlierHanded);

  for (const Case& c : cases) c.change(folder / c.file);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].file);
    EXPECT_TRUE(copied(i) == line(cases[i], cases[i].copiedAfter));
  }
}

// Paced by the clock of the test's event loop: the window is shown what was
// found at once, then at most once a frame; rows below the view are counted
// in at most every rowsBelowView, and everything when the scan ends.
TEST(ScanSession, PacesItsFramesByTheClock) {
  const FramePacing pacing{40ms, 500ms};
  const Missions many(1000);
  RecordingWindow window;
  ScanSession session(window, window, std::make_shared<LookupBinding>(), pacing,
                      [&] { return Clock::time_point{} + window.elapsed; });
  window.session = &session;
  window.folder = many.folder.str();
  std::vector<std::chrono::milliseconds> frames;
  std::vector<std::pair<std::chrono::milliseconds, std::size_t>> counted;  // when, rows then
  window.onTableChanged = [&](bool countRowsBelowView) {
    frames.push_back(window.elapsed);
    if (countRowsBelowView) counted.push_back({window.elapsed, window.rows.size()});
  };
  session.Scan();
  window.RunUntilIdle();

  ASSERT_EQ(window.rows.size(), 1001u);
  EXPECT_TRUE(std::is_sorted(window.rows.begin() + 1, window.rows.end(),
                             [](const TableRow& a, const TableRow& b) { return a.texts.dllName < b.texts.dllName; }));
  EXPECT_EQ(window.status, "Scan finished.");
  ASSERT_GE(frames.size(), 1u);
  EXPECT_EQ(frames.front(), 0ms);  // the first found: at once
  // The last comes with the scan's end, whenever that is.
  for (std::size_t i = 1; i + 1 < frames.size(); ++i) EXPECT_GE(frames[i] - frames[i - 1], pacing.frame);
  for (std::size_t i = 1; i + 1 < counted.size(); ++i) EXPECT_GE(counted[i].first - counted[i - 1].first, 500ms);
  ASSERT_FALSE(counted.empty());
  EXPECT_EQ(counted.back().second, 1001u);
}

std::vector<std::string> MapNames(const RecordingWindow& window) {
  std::vector<std::string> maps;
  for (const TableRow& row : window.rows) maps.push_back(row.texts.dllName + " " + row.texts.mapName);
  return maps;
}

// After a scan the table follows its folder: each change below, as a user
// makes it in the folder, then reported by the system, changes only its own
// rows once the files have settled, the filter and the sort holding.
TEST(ScanSession, FollowsTheFolderScanned) {
  const testing::WithoutPermissionOverrides forTheReaders;  // started below, kept while following
  const TempFolder folder;
  const auto write = [&](const std::string& name, const std::string& map) {
    testing::WriteMission(folder / name, map, "Hold the " + map + ".");
  };
  write("m1.dll", "Crater");
  write("m2.dll", "Ridge");
  RecordingWindow window;
  ScanSession session(window, window, std::make_shared<LookupBinding>(), FramePacing{0ms});
  window.session = &session;
  session.ChooseCodePage(1252);
  session.SortByColumn(1);
  window.folder = folder.str();
  session.Scan();
  window.RunUntilIdle();
  ASSERT_TRUE(session.IsFollowing());
  EXPECT_EQ(window.watched, folder.str());
  EXPECT_EQ(window.status, "Scan finished.");
  EXPECT_EQ(window.following, "Following the folder");

  // A file this test cannot read, until made readable again: its stamp stays,
  // the system names it (IN_ATTRIB).
  std::optional<testing::UnreadableFile> locked;
  const auto unreadable = [&](const std::string& name) { locked.emplace(folder / name); };
  const auto readable = [&](const std::string&) { locked.reset(); };
  struct Step {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> rows;
    std::string status;
    std::vector<std::string> named = {};  // the files the system names; none: it names none
  };
  const Step steps[] = {
      {"a DLL copied in", [&] { write("m3.dll", "Basin"); }, {"m3.dll Basin", "m1.dll Crater", "m2.dll Ridge"},
       "Added m3.dll."},
      {"a DLL rebuilt", [&] { write("m1.dll", "Zenith"); }, {"m3.dll Basin", "m2.dll Ridge", "m1.dll Zenith"},
       "Updated m1.dll."},
      {"a DLL deleted", [&] { std::filesystem::remove(folder / "m2.dll"); }, {"m3.dll Basin", "m1.dll Zenith"},
       "Removed m2.dll."},
      {"a DLL renamed", [&] { std::filesystem::rename(folder / "m3.dll", folder / "m4.dll"); },
       {"m4.dll Basin", "m1.dll Zenith"}, "Renamed m3.dll to m4.dll."},
      {"a filter holds", [&] { session.Filter("Z"); }, {"m1.dll Zenith"},
       "Renamed m3.dll to m4.dll. 1 of 2 missions shown."},
      {"a pack unpacked, a file written in pieces",
       [&] {
         for (const char* name : {"p1.dll", "p2.dll", "p3.dll"}) {
           write(name, std::string("Zone ") + name);
           window.Report();
           window.RunFor(100ms);
         }
         std::filesystem::resize_file(folder / "p3.dll", 100);  // rewritten: half of it so far
         window.Report();
         window.RunFor(100ms);
         write("p3.dll", "Zone p3.dll");
       },
       {"m1.dll Zenith", "p1.dll Zone p1.dll", "p2.dll Zone p2.dll", "p3.dll Zone p3.dll"},
       "3 missions added. 4 of 5 missions shown."},
      {"a DLL rewritten keeping its size and time",
       [&] {
         const auto time = std::filesystem::last_write_time(folder / "p3.dll");
         write("p3.dll", "Zone p4.dll");
         std::filesystem::last_write_time(folder / "p3.dll", time);
       },
       {"m1.dll Zenith", "p1.dll Zone p1.dll", "p2.dll Zone p2.dll", "p3.dll Zone p4.dll"}, "Updated p3.dll. 4 of 5 missions shown.",
       {"p3.dll"}},
      {"a DLL made unreadable", [&] { unreadable("p1.dll"); },
       {"Cannot read p1.dll: Permission denied ", "m1.dll Zenith", "p2.dll Zone p2.dll", "p3.dll Zone p4.dll"},
       "Updated p1.dll. 3 of 4 missions shown.", {"p1.dll"}},
      {"readable again", [&] { readable("p1.dll"); },
       {"m1.dll Zenith", "p1.dll Zone p1.dll", "p2.dll Zone p2.dll", "p3.dll Zone p4.dll"},
       "Updated p1.dll. 4 of 5 missions shown.", {"p1.dll", "notes.txt"}},
      {"an unreadable DLL deleted",
       [&] {
         unreadable("p2.dll");
         window.Report({{"p2.dll"}, false, false});
         window.RunFor(2000ms);
         readable("p2.dll");
         std::filesystem::remove(folder / "p2.dll");
         window.statuses.clear();
         window.tableChanges = 0;
       },
       {"m1.dll Zenith", "p1.dll Zone p1.dll", "p3.dll Zone p4.dll"}, "Removed p2.dll. 3 of 4 missions shown.",
       {"p2.dll"}},
      {"renames in a burst shown in parts, a DLL written all along",
       [&] {
         for (int i = 0; i < 12; ++i) {
           std::vector<std::string> named{"p3.dll"};
           if (i == 0) std::filesystem::rename(folder / "p1.dll", folder / "q1.dll");
           if (i == 6) std::filesystem::rename(folder / "m1.dll", folder / "n1.dll");
           if (i == 0) named.insert(named.end(), {"p1.dll", "q1.dll"});
           if (i == 6) named.insert(named.end(), {"m1.dll", "n1.dll"});
           write("p3.dll", i % 2 == 1 ? "Zone p4.dll" : "Zone p5.dll");
           window.Report({named, false, false});
           window.RunFor(200ms);
         }
         // Each part said with what came before it in the burst.
         EXPECT_EQ(window.statuses, (std::vector<std::string>{"Renamed p1.dll to q1.dll. 3 of 4 missions shown.",
                                                              "2 missions renamed. 3 of 4 missions shown."}));
         window.statuses.clear();
         window.tableChanges = 0;
       },
       {"n1.dll Zenith", "q1.dll Zone p1.dll", "p3.dll Zone p4.dll"},
       "1 mission updated. 2 missions renamed. 3 of 4 missions shown.", {"p3.dll"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    window.statuses.clear();
    window.tableChanges = 0;
    step.change();
    window.Report(step.named.empty() ? FolderEvents{{}, true, false} : FolderEvents{step.named, false, false});
    window.RunFor(2000ms);
    EXPECT_EQ(MapNames(window), step.rows);
    EXPECT_EQ(window.status, step.status);
    EXPECT_LE(window.statuses.size(), 1u);  // read once, when settled
    EXPECT_LE(window.tableChanges, 1);  // shown as one change
  }

  // A file that is no DLL written: nothing is even looked at.
  window.Report({{"notes.txt", ".hidden.dll"}, false, false});
  EXPECT_TRUE(window.timers.empty());

  // Details of a row: the file read again, handed back through the event loop.
  std::optional<MissionDetails> read;
  session.ReadDetails(1, [&read](const MissionDetails& details) { read = details; });
  window.RunUntil([&read] { return read.has_value(); });
  const MissionDetails& details = *read;
  EXPECT_EQ(details.file, "q1.dll");
  EXPECT_EQ(details.path, folder / "q1.dll");
  EXPECT_EQ(details.codePage, "Western European (1252)");
  EXPECT_EQ(details.exports[2].name, "LevelDesc");
  EXPECT_EQ(details.exports[2].text, "Hold the Zone p1.dll.");
  EXPECT_NE(details.exports[2].offset.find(" (0x"), std::string::npos) << details.exports[2].offset;

  // Following ends, and the window says why: the folder gone (it no longer
  // lists), the system saying so (a file system unmounted leaves a mount
  // point that lists), Escape; a folder the system cannot watch is not
  // followed. The rows stay; the status a scan leaves stays "Scan finished.".
  session.Filter("");
  const std::string gone = "The folder " + folder.str() + " cannot be read any more; the table no longer follows it.";
  const std::string kept = folder.str() + "-kept";
  struct Ending {
    const char* what;
    std::function<void()> end;
    std::string status;
    std::string following;
  };
  const Ending endings[] = {
      {"folder renamed",
       [&] {
         std::filesystem::rename(folder.path(), kept);
         window.Report();
         window.RunFor(2000ms);
         std::filesystem::rename(kept, folder.path());
       },
       gone, "Stopped following: the folder cannot be read"},
      {"unmounted, as the system says",
       [&] {
         window.Report({{}, false, true});
         window.RunFor(2000ms);
       },
       gone, "Stopped following: the folder was deleted, renamed or unmounted"},
      {"Escape", [&] { session.Stop(); }, "Scan finished.", "Stopped following: stopped with Escape"},
      {"cannot watch",
       [&] {
         window.canWatch = false;
         session.Scan();
         window.RunUntilIdle();
       },
       "Scan finished.", "Not following: the system cannot watch this folder"},
  };
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.what);
    session.Scan();
    window.RunUntilIdle();
    ASSERT_EQ(window.following, window.canWatch ? "Following the folder" : "");
    ending.end();
    EXPECT_FALSE(session.IsFollowing());
    EXPECT_TRUE(window.watched.empty() || !window.canWatch);
    EXPECT_EQ(window.status, ending.status);
    EXPECT_EQ(window.following, ending.following);
    EXPECT_EQ(window.rows.size(), 4u);  // m4, m1, p1, p3
  }
}

}  // namespace
}  // namespace vostrel
