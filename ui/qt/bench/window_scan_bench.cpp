// The window's whole scan, from the Scan command until the window is idle
// with every row shown, on Qt's offscreen platform; beside it the scan driver
// with a view that does nothing, over the same folders of mission copies.
// Then the peak memory of the window's scan of damaged missions.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "scanner/bench/scan_bench_support.h"
#include "scanner/lookup_binding.h"
#include "scanner/scan_driver.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"
#include "ui/qt/frm_main.h"

namespace {

using vostrel::testing::TempFolder;

using vostrel::bench::QuietView;
using vostrel::bench::RecordFiles;

std::unique_ptr<TempFolder> MakeMissionFolder(int64_t count) {
  auto folder = std::make_unique<TempFolder>();
  for (int64_t i = 0; i < count; ++i) vostrel::bench::PlaceMissionCopy(*folder, i);
  return folder;
}

// Damaged missions of 1.1 MB whose three texts all run on to the end of the
// file in bytes 0x80 (each "€" in 1252, three bytes of UTF-8). The files are
// hard links to one: to the scan each is a file of its own, and the folder
// takes 1.1 MB of disk, not 1.1 GB.
constexpr std::uint64_t kDamagedFillerBytes = 1'100'000;
std::unique_ptr<TempFolder> MakeDamagedFolder(int64_t count) {
  auto folder = std::make_unique<TempFolder>();
  const std::filesystem::path first = folder->path() / "damaged100000.dll";
  vostrel::testing::WriteDamagedMission(first.string(), "Damaged", kDamagedFillerBytes, '\x80', true);
  for (int64_t i = 1; i < count; ++i) {
    std::filesystem::create_hard_link(first, folder->path() / ("damaged" + std::to_string(100000 + i) + ".dll"));
  }
  return folder;
}

// The peak resident set (VmHWM) reset to the resident set as it is now
// (Linux: "5" to clear_refs), false where the system does not allow it; and
// the peak since, in MB (0 where the system does not say).
bool ResetPeakMemory() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5" << std::flush); }
double PeakMemoryMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string field; status >> field;) {
    if (field == "VmHWM:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
  }
  return 0;
}

// The window's scan: the Scan command, then the window's event loop runs
// until the scan has shown all it found, and the events that left (the last
// paint) have run.
void ScanToEnd(frmMain& window) {
  window.findChild<QPushButton*>(QStringLiteral("cmdScan"))->click();
  while (window.scanning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
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
  sizes(benchmark::RegisterBenchmark("Window", [&](benchmark::State& state) {
    frmMain window;
    window.show();
    QCoreApplication::processEvents();
    auto* folder = window.findChild<QLineEdit*>(QStringLiteral("txtTrhDir"));
    const auto* status = window.findChild<QLabel*>(QStringLiteral("sbStatusText"));
    folder->setText(QString::fromStdString(folderOf(state.range(0)).str()));
    for (auto _ : state) ScanToEnd(window);
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

  // The peak of the whole process while a fresh window scans a folder of
  // damaged missions (peak_MB), counted from what the process held before
  // the click (at_click_MB). One scan a run: run one count on its own
  // (--benchmark_filter=DamagedPeak/1000/), so that no earlier scan's freed
  // memory is counted in at_click_MB.
  std::map<int64_t, std::unique_ptr<TempFolder>> damagedMade;
  benchmark::RegisterBenchmark("DamagedPeak", [&](benchmark::State& state) {
    auto& damaged = damagedMade[state.range(0)];
    if (!damaged) damaged = MakeDamagedFolder(state.range(0));
    double atClick = 0;
    double peak = 0;
    for (auto _ : state) {
      state.PauseTiming();
      {
        frmMain window;
        window.show();
        QCoreApplication::processEvents();
        window.findChild<QLineEdit*>(QStringLiteral("txtTrhDir"))->setText(QString::fromStdString(damaged->str()));
        const auto* status = window.findChild<QLabel*>(QStringLiteral("sbStatusText"));
        if (!ResetPeakMemory()) {
          state.SkipWithError("the peak resident set cannot be reset here");
          break;
        }
        atClick = PeakMemoryMegabytes();
        state.ResumeTiming();
        ScanToEnd(window);
        state.PauseTiming();
        peak = PeakMemoryMegabytes();
        if (status->text() != QStringLiteral("Scan finished.")) state.SkipWithError("the scan did not finish");
      }
      state.ResumeTiming();
    }
    state.counters["at_click_MB"] = atClick;
    state.counters["peak_MB"] = peak;
    RecordFiles(state);
  })->Arg(100)->Arg(300)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
