// GetOffset for the three texts' names, on a small mission DLL and on a DLL
// with thousands of named exports (where the names are absent, so the whole
// table is searched), beside two floors over the same files:
//   OpenMapCloseFloor       open, fstat, mmap, munmap, close, touching no page;
//   OpenMapTouchCloseFloor  the same, reading one byte of the mapping.
// Each opens its file three times per iteration; items are files opened.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "peloc/peloc.h"

namespace {

constexpr std::array<const char*, 3> kNames{"MapName", "TechtreeName", "LevelDesc"};

void GetOffsetThreeNames(benchmark::State& state, const char* path) {
  uint32_t found = 0;
  for (auto _ : state) {
    for (const char* name : kNames) {
      const uint32_t offset = GetOffset(path, name);
      benchmark::DoNotOptimize(offset);
      found += offset != 0;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kNames.size()));
  // The share of the names found: 1 on the mission DLL, 0 on the large one.
  state.counters["found"] =
      benchmark::Counter(static_cast<double>(found) / static_cast<double>(kNames.size()), benchmark::Counter::kAvgIterations);
}

// One open-to-close of the file with a mapping of all of it; false on any failure.
bool OpenMapClose(const char* path, bool touch) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  bool ok = ::fstat(fd, &status) == 0 && status.st_size > 0;
  if (ok) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ok = view != MAP_FAILED;
    if (ok) {
      if (touch) {
        const unsigned char first = *static_cast<const volatile unsigned char*>(view);
        benchmark::DoNotOptimize(first);
      }
      ::munmap(view, size);
    }
  }
  ::close(fd);
  return ok;
}

void Floor(benchmark::State& state, const char* path, bool touch) {
  for (auto _ : state) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (!OpenMapClose(path, touch)) {
        state.SkipWithError("cannot open and map the file");
        return;
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kNames.size()));
}

void OpenMapCloseFloor(benchmark::State& state, const char* path) { Floor(state, path, false); }
void OpenMapTouchCloseFloor(benchmark::State& state, const char* path) { Floor(state, path, true); }

}  // namespace

BENCHMARK_CAPTURE(GetOffsetThreeNames, small_mission_dll, PELOC_BENCH_SMALL_DLL);
BENCHMARK_CAPTURE(OpenMapCloseFloor, small_mission_dll, PELOC_BENCH_SMALL_DLL);
BENCHMARK_CAPTURE(OpenMapTouchCloseFloor, small_mission_dll, PELOC_BENCH_SMALL_DLL);
BENCHMARK_CAPTURE(GetOffsetThreeNames, large_dll, PELOC_BENCH_LARGE_DLL);
BENCHMARK_CAPTURE(OpenMapCloseFloor, large_dll, PELOC_BENCH_LARGE_DLL);
BENCHMARK_CAPTURE(OpenMapTouchCloseFloor, large_dll, PELOC_BENCH_LARGE_DLL);

BENCHMARK_MAIN();
