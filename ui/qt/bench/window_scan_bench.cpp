// The window's whole scan, from the Scan command until the window is idle
// with every row shown, on Qt's offscreen platform; beside it the scan driver
// with a view that does nothing, over the same folders of mission copies.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "frm_main.h"
#include "lookup_binding.h"
#include "scan_driver.h"
#include "test_support.h"

namespace {

using vostrel::testing::TempFolder;

constexpr std::array<const char*, 5> kMissionDlls{"mission_full.dll", "mission_leveldesc_only.dll",
                                                  "mission_high_bytes.dll", "mission_long_desc.dll",
                                                  "mission_full_x64.dll"};

// A view that does nothing, so only the scan itself is measured.
class QuietView : public vostrel::ScanView {
 public:
  explicit QuietView(std::string folder) : folder_(std::move(folder)) {}
  std::string FolderText() override { return folder_; }
  void ClearRows() override {}
  void AddRow(const vostrel::ScanRow& row) override { benchmark::DoNotOptimize(row.levelDesc.data()); }
  void AddMessageRow(const std::string&) override {}
  void SetStatus(const std::string&) override {}
  void ProcessPendingEvents() override {}
  void ReportProblem(vostrel::ScanProblem, const std::string&) override {}

 private:
  std::string folder_;
};

std::unique_ptr<TempFolder> MakeMissionFolder(int64_t count) {
  auto folder = std::make_unique<TempFolder>();
  for (int64_t i = 0; i < count; ++i) {
    const char* source = kMissionDlls[static_cast<std::size_t>(i) % kMissionDlls.size()];
    std::filesystem::copy_file(vostrel::testing::TestDll(source), *folder / ("mission" + std::to_string(100000 + i) + ".dll"));
  }
  return folder;
}

void RecordFiles(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Painted in memory, as the window tests are, unless a platform is asked for.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // Made on first use, so that a filtered run makes only the folders it scans.
  std::map<int64_t, std::unique_ptr<TempFolder>> made;
  const auto folderOf = [&made](int64_t count) -> const TempFolder& {
    auto& folder = made[count];
    if (!folder) folder = MakeMissionFolder(count);
    return *folder;
  };

  const auto sizes = [](benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->UseRealTime()->Complexity(benchmark::oN);
  };
  // The Scan button's click returns when the scan has ended; the events it
  // left (the last paint) run before the clock stops.
  sizes(benchmark::RegisterBenchmark("Window", [&](benchmark::State& state) {
    frmMain window;
    window.show();
    QCoreApplication::processEvents();
    auto* folder = window.findChild<QLineEdit*>(QStringLiteral("txtTrhDir"));
    auto* scan = window.findChild<QPushButton*>(QStringLiteral("cmdScan"));
    const auto* status = window.findChild<QLabel*>(QStringLiteral("sbStatusText"));
    folder->setText(QString::fromStdString(folderOf(state.range(0)).str()));
    for (auto _ : state) {
      scan->click();
      QCoreApplication::processEvents();
    }
    if (status->text() != QStringLiteral("Scan finished.")) state.SkipWithError("the scan did not finish");
    RecordFiles(state);
  }));
  sizes(benchmark::RegisterBenchmark("QuietView", [&](benchmark::State& state) {
    vostrel::LookupBinding binding;
    QuietView view(folderOf(state.range(0)).str());
    vostrel::ScanDriver driver(view, binding);
    for (auto _ : state) driver.cmdScan_Click();
    RecordFiles(state);
  }));

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
