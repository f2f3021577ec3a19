// GetOffset for the three texts' names, three lookups per file, beside what
// the same files cost otherwise, on three sets of files: a small mission DLL,
// the real system DLLs of a 32-bit Wine, and a DLL with thousands of named
// exports (where the names are absent, so the whole table is searched):
//   GetOffsetThreeNames     the library, as programs call it;
//   GetOffsetsThreeNames    one GetOffsets for the three names, by path;
//   GetOffsetsHeld          one GetOffsets through the caller's open of the
//                           file, as the scan calls it (open, fstat, a read
//                           of the first 16 KB handed over, the rest read
//                           through the caller, close);
//   MappedLookupThreeNames  the same rules on a mapping of the whole file
//                           (open, fstat, mmap, the lookup, munmap, close);
//   OpenMapCloseFloor       (a) open, fstat, mmap, munmap, close, touching no page;
//   OpenMapTouchCloseFloor  (b) the same, reading one byte of the mapping.
// Time is per pass over the set; per_file is the time per file (three
// lookups or three opens). PageFault gives the machine's cost of one page
// fault on a file already in the page cache, which decides how the rest
// compare.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "handle/file_descriptor_posix.h"
#include "lookup/byte_reader.h"
#include "lookup/pe_exports.h"
#include "peloc/peloc.h"

namespace {

constexpr std::array<const char*, 3> kNames{"MapName", "TechtreeName", "LevelDesc"};
constexpr const char* kWineDlls = "/usr/lib/i386-linux-gnu/wine/i386-windows";

using handle::FileDescriptor;

class Mapping {
 public:
  Mapping(int fd, std::size_t size) : size_(size), address_(::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)) {}
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping() {
    if (address_ != MAP_FAILED) ::munmap(address_, size_);
  }
  bool valid() const { return address_ != MAP_FAILED; }
  std::span<const std::byte> bytes() const { return {static_cast<const std::byte*>(address_), size_}; }

 private:
  std::size_t size_;
  void* address_;
};

// Opens and maps the whole file, then hands the mapping to `use`; false on any failure.
template <class Use>
bool WithMapping(const std::string& path, Use use) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || status.st_size <= 0) return false;
  const Mapping mapping(file.get(), static_cast<std::size_t>(status.st_size));
  if (!mapping.valid()) return false;
  use(mapping.bytes());
  return true;
}

using Files = std::vector<std::string>;

Files OneFile(const char* path) { return {path}; }

// Every DLL of the Wine installation, in name order; empty when it is not installed.
Files WineDlls() {
  Files files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kWineDlls, error)) {
    if (entry.path().extension() == ".dll" && entry.is_regular_file()) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs `perFile` on each file per iteration, after one untimed pass so that the
// pages read are in the page cache. Reports the time per file.
template <class PerFile>
void OverFiles(benchmark::State& state, const Files& files, PerFile perFile) {
  if (files.empty()) {
    state.SkipWithError("no files: the Wine system DLLs come with wine32:i386 (/usr/lib/i386-linux-gnu/wine/i386-windows)");
    return;
  }
  for (const std::string& path : files) {
    if (!perFile(path)) {
      state.SkipWithError("a file cannot be opened and mapped");
      return;
    }
  }
  for (auto _ : state) {
    for (const std::string& path : files) perFile(path);
  }
  const auto perPass = static_cast<double>(files.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
  state.counters["per_file"] =
      benchmark::Counter(perPass, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void GetOffsetThreeNames(benchmark::State& state, const Files& files) {
  uint64_t found = 0;
  OverFiles(state, files, [&found](const std::string& path) {
    for (const char* name : kNames) {
      const uint32_t offset = GetOffset(path.c_str(), name);
      benchmark::DoNotOptimize(offset);
      found += offset != 0;
    }
    return true;
  });
  benchmark::DoNotOptimize(found);
}

void GetOffsetsThreeNames(benchmark::State& state, const Files& files) {
  uint64_t found = 0;
  OverFiles(state, files, [&found](const std::string& path) {
    std::array<uint32_t, kNames.size()> offsets{};
    found += GetOffsets(path.c_str(), nullptr, kNames.data(), kNames.size(), offsets.data());
    benchmark::DoNotOptimize(offsets);
    return true;
  });
  benchmark::DoNotOptimize(found);
}

int32_t PELOC_CALL ReadThroughDescriptor(void* file, uint64_t offset, void* into, uint32_t length) {
  return static_cast<int32_t>(::pread(*static_cast<const int*>(file), into, length, static_cast<off_t>(offset)));
}

void GetOffsetsHeld(benchmark::State& state, const Files& files) {
  uint64_t found = 0;
  std::array<char, 16384> head{};
  OverFiles(state, files, [&found, &head](const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return false;
    const auto size = static_cast<uint64_t>(status.st_size);
    const ssize_t got = ::pread(file.get(), head.data(), std::min<uint64_t>(size, head.size()), 0);
    if (got < 0) return false;
    int fd = file.get();
    const PelocImage image{size, head.data(), static_cast<uint64_t>(got), ReadThroughDescriptor, &fd};
    std::array<uint32_t, kNames.size()> offsets{};
    found += GetOffsets(path.c_str(), &image, kNames.data(), kNames.size(), offsets.data());
    benchmark::DoNotOptimize(offsets);
    return true;
  });
  benchmark::DoNotOptimize(found);
}

void MappedLookupThreeNames(benchmark::State& state, const Files& files) {
  OverFiles(state, files, [](const std::string& path) {
    bool ok = true;
    for (const char* name : kNames) {
      ok = ok && WithMapping(path, [name](std::span<const std::byte> bytes) {
             peloc::MemoryBytes source(bytes);
             const peloc::ByteReader<peloc::MemoryBytes> image(source);
             const uint32_t offset = peloc::FindExportOffset(image, name);
             benchmark::DoNotOptimize(offset);
           });
    }
    return ok;
  });
}

void OpenMapCloseFloor(benchmark::State& state, const Files& files) {
  OverFiles(state, files, [](const std::string& path) {
    bool ok = true;
    for (std::size_t i = 0; i < kNames.size(); ++i) ok = ok && WithMapping(path, [](std::span<const std::byte>) {});
    return ok;
  });
}

void OpenMapTouchCloseFloor(benchmark::State& state, const Files& files) {
  OverFiles(state, files, [](const std::string& path) {
    bool ok = true;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      ok = ok && WithMapping(path, [](std::span<const std::byte> bytes) {
             const auto first = *static_cast<const volatile std::byte*>(bytes.data());
             benchmark::DoNotOptimize(first);
           });
    }
    return ok;
  });
}

// Maps the large DLL, touches one byte of each of its first 1,024 pages, one
// fault a page (MADV_RANDOM turns off the kernel's mapping of neighbouring
// pages on a fault), and unmaps it; items are page faults.
void PageFault(benchmark::State& state, const char* path) {
  constexpr std::size_t kPages = 1024;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || static_cast<std::size_t>(status.st_size) < kPages * page) {
    state.SkipWithError("the large DLL is missing or smaller than the pages to touch");
    return;
  }
  for (auto _ : state) {
    const Mapping mapping(file.get(), kPages * page);
    if (!mapping.valid()) {
      state.SkipWithError("cannot map the large DLL");
      return;
    }
    const auto bytes = mapping.bytes();
    ::madvise(const_cast<std::byte*>(bytes.data()), bytes.size(), MADV_RANDOM);
    unsigned sum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += page) {
      sum += std::to_integer<unsigned>(*static_cast<const volatile std::byte*>(bytes.data() + at));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["per_fault"] = benchmark::Counter(static_cast<double>(kPages), benchmark::Counter::kIsIterationInvariantRate |
                                                                                    benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(PageFault, large_dll, PELOC_BENCH_LARGE_DLL);

BENCHMARK_CAPTURE(GetOffsetThreeNames, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));
BENCHMARK_CAPTURE(GetOffsetsThreeNames, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));
BENCHMARK_CAPTURE(GetOffsetsHeld, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));
BENCHMARK_CAPTURE(MappedLookupThreeNames, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));
BENCHMARK_CAPTURE(OpenMapCloseFloor, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));
BENCHMARK_CAPTURE(OpenMapTouchCloseFloor, small_mission_dll, OneFile(PELOC_BENCH_SMALL_DLL));

BENCHMARK_CAPTURE(GetOffsetThreeNames, wine_dlls, WineDlls());
BENCHMARK_CAPTURE(GetOffsetsThreeNames, wine_dlls, WineDlls());
BENCHMARK_CAPTURE(GetOffsetsHeld, wine_dlls, WineDlls());
BENCHMARK_CAPTURE(MappedLookupThreeNames, wine_dlls, WineDlls());
BENCHMARK_CAPTURE(OpenMapCloseFloor, wine_dlls, WineDlls());
BENCHMARK_CAPTURE(OpenMapTouchCloseFloor, wine_dlls, WineDlls());

BENCHMARK_CAPTURE(GetOffsetThreeNames, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));
BENCHMARK_CAPTURE(GetOffsetsThreeNames, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));
BENCHMARK_CAPTURE(GetOffsetsHeld, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));
BENCHMARK_CAPTURE(MappedLookupThreeNames, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));
BENCHMARK_CAPTURE(OpenMapCloseFloor, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));
BENCHMARK_CAPTURE(OpenMapTouchCloseFloor, large_dll, OneFile(PELOC_BENCH_LARGE_DLL));

BENCHMARK_MAIN();
