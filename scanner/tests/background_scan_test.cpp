// The scan on a thread of its own, over a folder whose third file's read
// hangs (a FUSE file system the test serves): what was found before it is
// handed in order, a stop answers at once, and the scan lets go of its
// thread without waiting for the read.
#include "scanner/background_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scanner/tests/hanging_folder.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

class LogView : public ScanView {
 public:
  std::string FolderText() override { return {}; }
  void ClearRows() override { log.push_back("ClearRows"); }
  void AddRow(const ScanRow& row) override { log.push_back("AddRow " + row.dllName + " " + row.mapName); }
  void AddMessageRow(const std::string& text) override { log.push_back("AddMessageRow " + text); }
  void SetStatus(const std::string& text) override { log.push_back("SetStatus " + text); }
  void ReportProblem(ScanProblem, const std::string& text) override { log.push_back("ReportProblem " + text); }
  bool Holds(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }

  std::vector<std::string> log;
};

TEST(BackgroundScan, StopsAtOnceWhileAReadHangs) {
  const testing::TempFolder source;
  testing::WriteMission(source / "m.dll", "Crater", "Hold the ridge.");
  const std::string mission = testing::ReadFile(source / "m.dll");
  for (const std::size_t workers : {std::size_t{1}, std::size_t{4}}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    std::optional<testing::HangingFolder> folder;
    try {
      folder.emplace(std::map<std::string, std::string>{{"a.dll", mission}, {"b.dll", mission},
                                                        {"c_hangs.dll", mission}, {"d.dll", mission}},
                     std::set<std::string>{"c_hangs.dll"});
    } catch (const testing::NoFuse& error) {
      GTEST_SKIP() << error.what();
    }
    std::atomic<int> notices = 0;
    auto scan = std::make_unique<BackgroundScan>(std::make_shared<LookupBinding>(),
                                                 BackgroundScan::Settings{folder->str(), 1252, kWholeText, workers},
                                                 [&notices] { ++notices; });
    ASSERT_TRUE(folder->WaitForHangingRead());
    LogView view;
    while (!view.Holds("SetStatus Scanning c_hangs.dll...")) {
      scan->WaitForFound();
      ASSERT_FALSE(scan->TakeFound(view));
    }
    EXPECT_GE(notices.load(), 1);
    scan->Stop();
    EXPECT_TRUE(scan->TakeFound(view));
    EXPECT_EQ(view.log, (std::vector<std::string>{"SetStatus Scanning a.dll...", "AddRow a.dll Crater",
                                                  "SetStatus Scanning b.dll...", "AddRow b.dll Crater",
                                                  "SetStatus Scanning c_hangs.dll...", "SetStatus Scan stopped."}));
    scan.reset();  // the read still hangs
    EXPECT_TRUE(folder->WaitForHangingRead());
  }
}

}  // namespace
}  // namespace vostrel
