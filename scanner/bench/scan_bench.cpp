// The cost of a whole scan per file, against the floor of the file-system
// calls a scan cannot avoid: per file three lookups (open, fstat, the blocks
// it reads, close) and three text reads (open, seek, one buffer, close).
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "file_descriptor_posix.h"
#include "lookup_binding.h"
#include "scan_bench_support.h"
#include "scan_driver.h"
#include "test_support.h"

namespace {

using vostrel::testing::TempFolder;

using vostrel::bench::QuietView;
using vostrel::bench::RecordFiles;

constexpr std::array<const char*, 3> kExportNames{"MapName", "TechtreeName", "LevelDesc"};

// A folder of copies of the mission DLLs, with the text offsets of each copy
// (found once, up front) for the floor.
struct MissionFolder {
  TempFolder folder;
  struct File {
    std::string path;
    std::array<off_t, 3> textOffsets;
  };
  std::vector<File> files;
};

std::unique_ptr<MissionFolder> MakeMissionFolder(int64_t count, vostrel::LookupBinding& binding) {
  auto made = std::make_unique<MissionFolder>();
  for (int64_t i = 0; i < count; ++i) {
    const std::string path = vostrel::bench::PlaceMissionCopy(made->folder, i);
    MissionFolder::File file{path, {}};
    for (std::size_t e = 0; e < kExportNames.size(); ++e) file.textOffsets[e] = binding.GetOffset(path, kExportNames[e]);
    made->files.push_back(std::move(file));
  }
  return made;
}

peloc::FileDescriptor Open(const std::string& path, int flags) {
  peloc::FileDescriptor fd(::open(path.c_str(), flags));
  if (!fd) throw std::runtime_error("open failed");
  return fd;
}

void ListFolder(const std::string& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  while (const dirent* entry = ::readdir(dir.get())) benchmark::DoNotOptimize(entry->d_name[0]);
}

// What the lookup asks of the system: open, fstat, the file's first blocks
// (an export search on these small DLLs touches them all), close.
void LookupCalls(const std::string& path, std::array<char, 16384>& buffer) {
  const auto fd = Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat status {};
  ::fstat(fd.get(), &status);
  for (off_t at = 0; at < status.st_size && at < 16384; at += 8192) {
    benchmark::DoNotOptimize(::pread(fd.get(), buffer.data() + at, 8192, at));
  }
}

// What a text read asks: open, seek to the text, one buffer, close.
void TextCalls(const std::string& path, off_t offset, std::array<char, 16384>& buffer) {
  const auto fd = Open(path, O_RDONLY);
  ::lseek(fd.get(), offset, SEEK_SET);
  benchmark::DoNotOptimize(::read(fd.get(), buffer.data(), 8191));
}

// Mapping instead of reading, for comparison: open, fstat, map, touch, unmap, close.
void MappedLookupCalls(const std::string& path) {
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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  vostrel::LookupBinding binding;
  std::map<int64_t, std::unique_ptr<MissionFolder>> folders;
  for (const int64_t count : {100, 1000, 10000}) folders[count] = MakeMissionFolder(count, binding);

  const auto sizes = [](benchmark::internal::Benchmark* b) {
    b->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
  };
  sizes(benchmark::RegisterBenchmark("Scan", [&](benchmark::State& state) {
    QuietView view(folders.at(state.range(0))->folder.str());
    vostrel::ScanDriver driver(view, binding, 1252);
    for (auto _ : state) driver.cmdScan_Click();
    RecordFiles(state);
  }));
  // The system calls of a scan, with the lookups' reads or with mappings instead.
  const auto systemCallFloor = [&](auto lookupCalls) {
    return [&folders, lookupCalls](benchmark::State& state) {
      const MissionFolder& mission = *folders.at(state.range(0));
      std::array<char, 16384> buffer{};
      for (auto _ : state) {
        ListFolder(mission.folder.str());
        for (const MissionFolder::File& file : mission.files) {
          for (const off_t offset : file.textOffsets) {
            lookupCalls(file.path, buffer);
            TextCalls(file.path, offset, buffer);
          }
        }
      }
      RecordFiles(state);
    };
  };
  sizes(benchmark::RegisterBenchmark("Floor", systemCallFloor([](const std::string& path, std::array<char, 16384>& buffer) {
    LookupCalls(path, buffer);
  })));
  sizes(benchmark::RegisterBenchmark("FloorMapped", systemCallFloor([](const std::string& path, std::array<char, 16384>&) {
    MappedLookupCalls(path);
  })));

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
