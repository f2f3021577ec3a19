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
#include "scan_bench_support.h"
#include "scan_driver.h"
#include "test_support.h"

namespace {

using vostrel::testing::TempFolder;

using vostrel::bench::QuietView;
using vostrel::bench::RecordFiles;

std::unique_ptr<TempFolder> MakeMissionFolder(int64_t count) {
  auto folder = std::make_unique<TempFolder>();
  for (int64_t i = 0; i < count; ++i) vostrel::bench::PlaceMissionCopy(*folder, i);
  return folder;
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
