// What the scan benchmarks share: a view that does nothing, so that only the
// scan is measured, and folders of copies of the test missions.
#pragma once

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "scanner/scan_view.h"
#include "scanner/tests/test_support.h"

namespace vostrel::bench {

inline constexpr std::array<const char*, 5> kMissionDlls{"mission_full.dll", "mission_leveldesc_only.dll",
                                                         "mission_high_bytes.dll", "mission_long_desc.dll",
                                                         "mission_full_x64.dll"};

class QuietView : public ScanView {
 public:
  explicit QuietView(std::string folder) : folder_(std::move(folder)) {}
  std::string FolderText() override { return folder_; }
  void ClearRows() override {}
  void AddRow(const ScanRow& row) override { benchmark::DoNotOptimize(row.levelDesc.data()); }
  void AddMessageRow(const std::string&) override {}
  void SetStatus(const std::string&) override {}
  void ReportProblem(ScanProblem, const std::string&) override {}

 private:
  std::string folder_;
};

// Copy `index` of the test missions in `folder`: the missions in turn, named
// in the order the listing gives them. Gives its path.
inline std::string PlaceMissionCopy(const testing::TempFolder& folder, int64_t index) {
  const char* source = kMissionDlls[static_cast<std::size_t>(index) % kMissionDlls.size()];
  return testing::PlaceDll(source, folder / ("mission" + std::to_string(100000 + index) + ".dll"));
}

// Files per second, and the count for the O(N) fit.
inline void RecordFiles(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

}  // namespace vostrel::bench
