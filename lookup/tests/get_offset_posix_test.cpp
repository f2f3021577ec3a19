// GetOffset on POSIX: what only this platform can show, the process's open
// descriptors (/proc/self/fd) and files that block when opened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lookup/tests/test_files.h"
#include "peloc/peloc.h"

namespace peloc::testing {
namespace {

namespace fs = std::filesystem;

// What each open descriptor of this process refers to.
std::vector<fs::path> OpenFiles() {
  std::vector<fs::path> targets;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(entry.path(), ec);
    if (!ec) targets.push_back(target);
  }
  return targets;
}

TEST(GetOffsetPosix, ReleasesEveryDescriptor) {
  const TempDir dir;
  const fs::path empty = dir / "empty.dll";
  WriteWhole(empty, "");
  const std::string dll = ReadWhole(kTestDllDir / "mission_full.dll");
  const fs::path cut = dir / "cut.dll";
  WriteWhole(cut, std::string_view(dll).substr(0, dll.size() / 2));
  const std::vector<fs::path> files{kTestDllDir / "mission_full.dll", kTestDllDir / "mission_full_x64.dll",
                                    kTestDllDir / "functions_only.dll", dir / "missing.dll", empty, cut, dir.path()};

  const std::size_t before = OpenFiles().size();
  uint64_t found = 0;
  for (int i = 0; i < 1000; ++i) {
    const fs::path& path = files[static_cast<std::size_t>(i) % files.size()];
    found += GetOffset(path.c_str(), i % 2 == 0 ? "LevelDesc" : "Missing") != 0;
  }
  EXPECT_EQ(OpenFiles().size(), before);
  EXPECT_GT(found, 0u);

  // Nothing refers to a file once the call returns, found or not.
  for (const fs::path& path : {kTestDllDir / "mission_full.dll", cut}) {
    GetOffset(path.c_str(), "MapName");
    for (const fs::path& open : OpenFiles()) EXPECT_NE(open, path) << "still open";
  }
}

TEST(GetOffsetPosix, FifoRefusedWithoutWaitingForAWriter) {
  const TempDir dir;
  const fs::path fifo = dir / "pipe.dll";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A blocking open would wait here for a writer until the test times out.
  EXPECT_EQ(GetOffset(fifo.c_str(), "MapName"), 0u);
}

}  // namespace
}  // namespace peloc::testing
