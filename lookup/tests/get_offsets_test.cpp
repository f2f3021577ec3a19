// GetOffsets against GetOffset: every name of every test DLL and seed of the
// fuzz corpus, looked up at once by path, on the whole file held by the
// caller, and on a first part held with the rest read through the caller,
// must give what GetOffset gives name by name.
#include "peloc/peloc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/tests/test_files.h"

namespace peloc::testing {
namespace {

namespace fs = std::filesystem;

// Every zero-terminated run of printable ASCII that follows a zero byte (or
// opens the file): each export's name among them, wherever the table lies,
// and whatever else the file holds that looks like one.
std::vector<std::string> NamesIn(std::string_view bytes) {
  std::set<std::string> names;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    const std::string_view run = bytes.substr(start, end - start);
    if (!run.empty() && run.size() < 256 &&
        std::all_of(run.begin(), run.end(), [](char c) { return c > ' ' && c < 0x7F; })) {
      names.emplace(run);
    }
    start = end + 1;
  }
  return {names.begin(), names.end()};
}

// The caller's read of the file's bytes, a few at a time, as a read of a
// file on disk may come back shorter than asked.
int32_t PELOC_CALL ReadHeld(void* file, uint64_t offset, void* into, uint32_t length) {
  const auto& bytes = *static_cast<const std::string*>(file);
  if (offset > bytes.size()) return -1;
  const auto at = static_cast<std::size_t>(offset);
  const std::size_t n = std::min<std::size_t>({length, bytes.size() - at, 97});
  std::memcpy(into, bytes.data() + at, n);
  return static_cast<int32_t>(n);
}

TEST(GetOffsets, AgreesWithGetOffsetOnEveryName) {
  std::vector<fs::path> files;
  for (const char* dll : {"mission_full.dll", "mission_full_x64.dll", "mission_high_bytes.dll",
                          "mission_long_desc.dll", "mission_leveldesc_only.dll", "functions_only.dll"}) {
    files.push_back(kTestDllDir / dll);
  }
  for (const auto& entry : fs::directory_iterator(VOSTREL_FUZZ_CORPUS_DIR)) files.push_back(entry.path());
  const TempDir dir;
  // The empty file, and a mission cut short before its export data.
  files.push_back(dir / "empty.dll");
  WriteWhole(files.back(), "");
  const std::string mission = ReadWhole(kTestDllDir / "mission_full.dll");
  files.push_back(dir / "cut.dll");
  WriteWhole(files.back(), std::string_view(mission).substr(0, mission.size() / 2));

  uint32_t foundInAll = 0;
  for (const fs::path& path : files) {
    const std::string file = path.string();
    std::string bytes = ReadWhole(path);
    std::vector<std::string> names = NamesIn(bytes);
    for (const char* text : {"MapName", "TechtreeName", "LevelDesc", "mapname", ""}) names.emplace_back(text);
    std::vector<const char*> asked;
    std::vector<uint32_t> expected;
    for (const std::string& name : names) {
      asked.push_back(name.c_str());
      expected.push_back(GetOffset(file.c_str(), name.c_str()));
    }
    asked.push_back(nullptr);  // a null name finds nothing
    expected.push_back(0);
    const auto count = static_cast<uint32_t>(asked.size());
    const auto found = static_cast<uint32_t>(std::count_if(expected.begin(), expected.end(), [](uint32_t o) { return o != 0; }));
    foundInAll += found;

    struct Way {
      std::string name;
      const PelocImage* image;
    };
    const uint64_t size = bytes.size();
    const PelocImage whole{size, bytes.data(), size, nullptr, nullptr};
    const PelocImage headOnly{size, bytes.data(), std::min<uint64_t>(size, 4096), ReadHeld, &bytes};
    const PelocImage halfHeld{size, bytes.data(), size / 2, ReadHeld, &bytes};
    const PelocImage noneHeld{size, nullptr, 0, ReadHeld, &bytes};
    for (const Way& way : {Way{"by path", nullptr}, Way{"held whole", &whole}, Way{"4 KB held", &headOnly},
                           Way{"half held", &halfHeld}, Way{"read through the caller", &noneHeld}}) {
      std::vector<uint32_t> offsets(count, 0xFFFFFFFFu);
      EXPECT_EQ(GetOffsets(file.c_str(), way.image, asked.data(), count, offsets.data()), found)
          << path << ", " << way.name;
      for (uint32_t i = 0; i + 1 < count; ++i) {
        EXPECT_EQ(offsets[i], expected[i]) << path << ", " << way.name << ", name \"" << asked[i] << '"';
      }
      EXPECT_EQ(offsets.back(), 0u) << path << ", " << way.name << ", the null name";
    }
  }
  // The names of the test DLLs' exports are among those looked up.
  EXPECT_GT(foundInAll, 3 * files.size());
}

// What GetOffsets is given wrong is answered with zeros, never read.
TEST(GetOffsets, AnswersZeroForWhatItCannotUse) {
  const std::string file = (kTestDllDir / "mission_full.dll").string();
  std::string bytes = ReadWhole(file);
  const char* names[] = {"MapName", "LevelDesc"};
  uint32_t offsets[2] = {7, 7};
  const auto zeros = [&] { return offsets[0] == 0 && offsets[1] == 0; };
  ASSERT_EQ(GetOffsets(file.c_str(), nullptr, names, 2, offsets), 2u);
  const uint64_t size = bytes.size();
  const PelocImage longerHead{size, bytes.data(), size + 1, nullptr, nullptr};
  const PelocImage missingHead{size, nullptr, size, nullptr, nullptr};
  const PelocImage nothingToRead{size, bytes.data(), 64, nullptr, nullptr};
  for (const PelocImage* image : {&longerHead, &missingHead, &nothingToRead}) {
    EXPECT_EQ(GetOffsets(file.c_str(), image, names, 2, offsets), 0u);
    EXPECT_TRUE(zeros());
  }
  EXPECT_EQ(GetOffsets(nullptr, nullptr, names, 2, offsets), 0u);
  EXPECT_TRUE(zeros());
  offsets[0] = offsets[1] = 7;
  EXPECT_EQ(GetOffsets(file.c_str(), nullptr, nullptr, 2, offsets), 0u);
  EXPECT_TRUE(zeros());
  EXPECT_EQ(GetOffsets(file.c_str(), nullptr, names, 2, nullptr), 0u);
}

}  // namespace
}  // namespace peloc::testing
