// The cost of a whole scan per file: on one thread against the floor of the
// file-system calls it makes (per file: open, fstat, one read of its first
// 16 KB, close), and against the read floor: threads (1, 2 or 16) opening
// each file, reading its first 4 KB and closing it; on files in the page
// cache, and on files dropped from it before each scan.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "handle/file_descriptor_posix.h"
#include "scanner/bench/scan_bench_support.h"
#include "scanner/lookup_binding.h"
#include "scanner/read_ahead.h"
#include "scanner/scan_driver.h"
#include "scanner/tests/test_support.h"

namespace {

using vostrel::testing::TempFolder;

using vostrel::bench::QuietView;
using vostrel::bench::RecordFiles;

constexpr int64_t kColdFiles = 2000;
constexpr int kFloorThreads = 16;

// A folder of mission copies and their paths.
struct MissionFolder {
  TempFolder folder;
  std::vector<std::string> files;
};

// Copies of the test missions in turn.
std::unique_ptr<MissionFolder> MakeMissionFolder(int64_t count) {
  auto made = std::make_unique<MissionFolder>();
  for (int64_t i = 0; i < count; ++i) made->files.push_back(vostrel::bench::PlaceMissionCopy(made->folder, i));
  return made;
}

// Copies of the mission as large as the game's own, each a file of its own
// in the page cache.
std::unique_ptr<MissionFolder> MakeFullSizeFolder(int64_t count) {
  auto made = std::make_unique<MissionFolder>();
  for (int64_t i = 0; i < count; ++i) {
    const std::string path = made->folder / ("mission" + std::to_string(100000 + i) + ".dll");
    made->files.push_back(vostrel::testing::PlaceDll("full_size_mission.dll", path));
  }
  return made;
}

handle::FileDescriptor Open(const std::string& path, int flags) {
  handle::FileDescriptor fd(::open(path.c_str(), flags));
  if (!fd) throw std::runtime_error("open failed");
  return fd;
}

// As after a boot: the files' pages leave the page cache (the folder's
// entries and the files' inodes stay).
void DropFromPageCache(const MissionFolder& mission) {
  ::sync();
  for (const std::string& path : mission.files) {
    const auto fd = Open(path, O_RDONLY | O_CLOEXEC);
    if (::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED) != 0) throw std::runtime_error("posix_fadvise failed");
  }
}

void ListFolder(const std::string& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  while (const dirent* entry = ::readdir(dir.get())) benchmark::DoNotOptimize(entry->d_name[0]);
}

// What a scan asks of the system per mission: open, fstat, one read of the
// file's first 16 KB (which holds a small mission's headers, export table and
// texts), close.
void ScanCalls(const std::string& path, std::array<char, 16384>& buffer) {
  const auto fd = Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat status {};
  ::fstat(fd.get(), &status);
  const auto wanted = std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(status.st_size));
  benchmark::DoNotOptimize(::pread(fd.get(), buffer.data(), wanted, 0));
}

// The same bytes had through a mapping, for comparison: open, fstat, map,
// touch each page, unmap, close.
void MappedCalls(const std::string& path) {
  const auto fd = Open(path, O_RDONLY | O_CLOEXEC);
  struct stat status {};
  ::fstat(fd.get(), &status);
  const auto size = static_cast<std::size_t>(status.st_size);
  void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
  if (view == MAP_FAILED) throw std::runtime_error("mmap failed");
  const auto* bytes = static_cast<const volatile char*>(view);
  for (std::size_t at = 0; at < size; at += 4096) benchmark::DoNotOptimize(bytes[at]);
  ::munmap(view, size);
}

// The floor a scan with workers is held to: threads that each take the next
// file, open it, read its first 4 KB and close it.
void OpenReadClose(const MissionFolder& mission, int threads) {
  std::atomic<std::size_t> next = 0;
  std::vector<std::jthread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      std::array<char, 4096> buffer{};
      for (std::size_t i = next++; i < mission.files.size(); i = next++) {
        const auto fd = Open(mission.files[i], O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::pread(fd.get(), buffer.data(), buffer.size(), 0));
      }
    });
  }
}

void ScanOnce(const MissionFolder& mission, vostrel::LookupBinding& binding, std::size_t workers,
              vostrel::CodePage codePage = 1252) {
  QuietView view(mission.folder.str());
  vostrel::ScanDriver driver(view, binding, codePage, vostrel::kWholeText, workers);
  driver.cmdScan_Click();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  vostrel::LookupBinding binding;
  // Made on first use, so that a filtered run makes only the folders it scans.
  std::map<int64_t, std::unique_ptr<MissionFolder>> warmFolders;
  std::unique_ptr<MissionFolder> coldFolder;
  const auto warm = [&](int64_t count) -> const MissionFolder& {
    auto& folder = warmFolders[count];
    if (!folder) folder = MakeMissionFolder(count);
    return *folder;
  };
  const auto cold = [&]() -> const MissionFolder& {
    if (!coldFolder) coldFolder = MakeFullSizeFolder(kColdFiles);
    return *coldFolder;
  };
  const auto defaultWorkers = static_cast<int64_t>(vostrel::DefaultScanWorkers());

  // Files in the page cache: one worker at three sizes, then workers at 10,000 files.
  const auto warmScans = [&](benchmark::internal::Benchmark* b) {
    b->ArgNames({"files", "workers"})->Unit(benchmark::kMillisecond)->UseRealTime();
    for (const int64_t files : {100, 1000}) b->Args({files, 1});
    for (const int64_t workers : std::set<int64_t>{1, 2, 4, 16, defaultWorkers}) b->Args({10000, workers});
  };
  warmScans(benchmark::RegisterBenchmark("Scan", [&](benchmark::State& state) {
    const MissionFolder& mission = warm(state.range(0));
    ScanOnce(mission, binding, static_cast<std::size_t>(state.range(1)));  // the files in the page cache
    for (auto _ : state) ScanOnce(mission, binding, static_cast<std::size_t>(state.range(1)));
    RecordFiles(state);
  }));
  // The same with each mission's code page detected (one in five has bytes above 127).
  benchmark::RegisterBenchmark("ScanAutomatic", [&](benchmark::State& state) {
    const MissionFolder& mission = warm(state.range(0));
    const auto workers = static_cast<std::size_t>(state.range(1));
    ScanOnce(mission, binding, workers, vostrel::kAutomaticCodePage);
    for (auto _ : state) ScanOnce(mission, binding, workers, vostrel::kAutomaticCodePage);
    RecordFiles(state);
  })->ArgNames({"files", "workers"})->Args({1000, 1})->Args({10000, defaultWorkers})->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  const auto readFloor = benchmark::RegisterBenchmark("OpenReadClose", [&](benchmark::State& state) {
    const MissionFolder& mission = warm(state.range(0));
    for (auto _ : state) OpenReadClose(mission, static_cast<int>(state.range(1)));
    RecordFiles(state);
  });
  readFloor->ArgNames({"files", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
  for (const int64_t threads : {1, 2, kFloorThreads}) readFloor->Args({10000, threads});

  // The system calls of a scan on one thread, with one read or with a mapping of each file.
  const auto systemCallFloor = [&](auto calls) {
    return [&warm, calls](benchmark::State& state) {
      const MissionFolder& mission = warm(state.range(0));
      std::array<char, 16384> buffer{};
      for (auto _ : state) {
        ListFolder(mission.folder.str());
        for (const std::string& path : mission.files) calls(path, buffer);
      }
      RecordFiles(state);
    };
  };
  const auto floorSizes = [](benchmark::internal::Benchmark* b) {
    b->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
  };
  floorSizes(benchmark::RegisterBenchmark("Floor", systemCallFloor([](const std::string& path, std::array<char, 16384>& buffer) {
    ScanCalls(path, buffer);
  })));
  floorSizes(benchmark::RegisterBenchmark("FloorMapped", systemCallFloor([](const std::string& path, std::array<char, 16384>&) {
    MappedCalls(path);
  })));

  // Files dropped from the page cache before each scan: what the first scan
  // after a boot waits for.
  const auto coldScans = [&](benchmark::internal::Benchmark* b) {
    b->ArgNames({"files", "workers"})->Unit(benchmark::kMillisecond)->UseRealTime();
    for (const int64_t workers : std::set<int64_t>{1, 16, defaultWorkers}) b->Args({kColdFiles, workers});
  };
  coldScans(benchmark::RegisterBenchmark("ColdScan", [&](benchmark::State& state) {
    const MissionFolder& mission = cold();
    for (auto _ : state) {
      state.PauseTiming();
      DropFromPageCache(mission);
      state.ResumeTiming();
      ScanOnce(mission, binding, static_cast<std::size_t>(state.range(1)));
    }
    RecordFiles(state);
  }));
  benchmark::RegisterBenchmark("ColdOpenReadClose", [&](benchmark::State& state) {
    const MissionFolder& mission = cold();
    for (auto _ : state) {
      state.PauseTiming();
      DropFromPageCache(mission);
      state.ResumeTiming();
      OpenReadClose(mission, static_cast<int>(state.range(1)));
    }
    RecordFiles(state);
  })->ArgNames({"files", "threads"})->Args({kColdFiles, kFloorThreads})->Unit(benchmark::kMillisecond)->UseRealTime();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
