// GetOffset as programs call it, through the public header and the built
// library: real DLLs made by mingw-w64, files that must fail, and files left
// free when the call returns.
#include "peloc/peloc.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "lookup/byte_reader.h"
#include "lookup/pe_exports.h"
#include "lookup/tests/pe_image_writer.h"
#include "lookup/tests/test_files.h"

namespace peloc::testing {
namespace {

namespace fs = std::filesystem;

// The zero-terminated text at `offset` in the file; empty when the offset or
// the text's terminator lies outside it.
std::optional<std::string> TextAt(const fs::path& path, uint32_t offset) {
  const std::string bytes = ReadWhole(path);
  if (offset >= bytes.size()) return std::nullopt;
  const std::size_t end = bytes.find('\0', offset);
  if (end == std::string::npos) return std::nullopt;
  return bytes.substr(offset, end - offset);
}

uint32_t Get(const fs::path& path, const char* name) { return GetOffset(path.string().c_str(), name); }

struct MissionDll {
  const char* file;
  std::string mapName;
  std::string techtreeName;
  std::string levelDesc;
};

std::string LongDescription() {
  std::string text = "<begin>";
  for (int i = 0; i < 100; ++i) text += "The convoy crosses the basin at dawn; hold every ridge now. ";
  return text + "<end>";
}

// The texts as the DLL sources in dlls/ define them.
std::vector<MissionDll> MissionDlls() {
  return {
      {"mission_full.dll", "Crater Basin", "Standard Techtree", "Hold the ridge until the convoy arrives."},
      {"mission_full_x64.dll", "Twin Rivers", "Extended Techtree", "Take both bridges before nightfall."},
      {"mission_high_bytes.dll", "Ch\xE2teau Fort \x96 Bl\xE9" "de", "\xC6ra Standard \xA9 \xDC" "ber",
       "\x93Tenez la cr\xEAte jusqu'\xE0 l'arriv\xE9" "e du convoi.\x94 "
       "Co\xFBt: 100 \x80, \xBD de la r\xE9serve. Se\xF1or \xFF\xFE\xA0" "fin."},
      {"mission_long_desc.dll", "Long Crossing", "Standard Techtree", LongDescription()},
  };
}

TEST(GetOffset, MissionDllsGiveTheirTexts) {
  for (const MissionDll& dll : MissionDlls()) {
    const fs::path path = kTestDllDir / dll.file;
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    for (const auto& [name, text] : {std::pair{"MapName", &dll.mapName}, std::pair{"TechtreeName", &dll.techtreeName},
                                     std::pair{"LevelDesc", &dll.levelDesc}}) {
      const uint32_t offset = Get(path, name);
      EXPECT_NE(offset, 0u) << dll.file << ' ' << name;
      EXPECT_EQ(TextAt(path, offset), *text) << dll.file << ' ' << name;
    }
  }
  EXPECT_EQ(LongDescription().size(), 6012u);
}

TEST(GetOffset, MissingExportsGiveZero) {
  const fs::path only = kTestDllDir / "mission_leveldesc_only.dll";
  EXPECT_EQ(Get(only, "MapName"), 0u);
  EXPECT_EQ(Get(only, "TechtreeName"), 0u);
  EXPECT_EQ(TextAt(only, Get(only, "LevelDesc")), "Scout the northern pass and report back.");

  // Exports named like the texts, but longer, shorter or in other case.
  const fs::path functions = kTestDllDir / "functions_only.dll";
  for (const char* name : {"MapName", "TechtreeName", "LevelDesc", "mapname", "Map", ""}) {
    EXPECT_EQ(Get(functions, name), 0u) << name;
  }
  // Its real exports are found: the zeros above are not from an unreadable file.
  const auto size = fs::file_size(functions);
  for (const char* name : {"Add", "MapNameOf", "Level", "techtreename", "LEVELDESC"}) {
    const uint32_t offset = Get(functions, name);
    EXPECT_NE(offset, 0u) << name;
    EXPECT_LT(offset, size) << name;
  }
}

TEST(GetOffset, UnreadableOrForeignFilesGiveZero) {
  const TempDir dir;
  const fs::path empty = dir / "empty.dll";
  WriteWhole(empty, "");
  const fs::path text = dir / "readme.dll";
  WriteWhole(text, "MZ but not much else\n");
  // mission_full.dll's export data lie in its second half.
  const std::string dll = ReadWhole(kTestDllDir / "mission_full.dll");
  const fs::path truncated = dir / "truncated.dll";
  WriteWhole(truncated, std::string_view(dll).substr(0, dll.size() / 2));

  for (const fs::path& path : {dir / "missing.dll", empty, text, truncated, dir.path(), fs::path("")}) {
    EXPECT_EQ(Get(path, "MapName"), 0u) << path;
  }
  EXPECT_EQ(GetOffset(nullptr, "MapName"), 0u);
  EXPECT_EQ(GetOffset((kTestDllDir / "mission_full.dll").string().c_str(), nullptr), 0u);
}

// Windows refuses to delete a file while a handle to it is open.
TEST(GetOffset, FileCanBeDeletedRightAfter) {
  const TempDir dir;
  const std::string dll = ReadWhole(kTestDllDir / "mission_full.dll");
  const fs::path good = dir / "good.dll";
  WriteWhole(good, dll);
  const fs::path cut = dir / "cut.dll";
  WriteWhole(cut, std::string_view(dll).substr(0, dll.size() / 2));

  EXPECT_NE(Get(good, "MapName"), 0u);
  EXPECT_EQ(Get(cut, "MapName"), 0u);
  for (const fs::path& path : {good, cut}) {
    std::error_code error;
    EXPECT_TRUE(fs::remove(path, error)) << path << ": " << error.message();
    EXPECT_FALSE(fs::exists(path)) << path;
  }
}

TEST(GetOffset, RepeatedAndConcurrentCallsAgree) {
  struct Call {
    fs::path path;
    const char* name;
    uint32_t expected;
  };
  std::vector<Call> calls;
  for (const char* file : {"mission_full.dll", "mission_full_x64.dll", "mission_high_bytes.dll", "mission_long_desc.dll",
                           "mission_leveldesc_only.dll", "functions_only.dll", "missing.dll"}) {
    for (const char* name : {"MapName", "TechtreeName", "LevelDesc"}) {
      const fs::path path = kTestDllDir / file;
      const uint32_t first = Get(path, name);
      EXPECT_EQ(Get(path, name), first) << file << ' ' << name;
      calls.push_back({path, name, first});
    }
  }

  constexpr int kThreads = 8;
  std::vector<int> mismatches(kThreads, 0);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&calls, &mismatch = mismatches[static_cast<std::size_t>(t)], t] {
        for (int round = 0; round < 50; ++round) {
          for (std::size_t c = 0; c < calls.size(); ++c) {
            // Each thread walks the calls from a different start.
            const Call& call = calls[(c + static_cast<std::size_t>(t) * 5) % calls.size()];
            mismatch += Get(call.path, call.name) != call.expected;
          }
        }
      });
    }
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

// A written image with thousands of exports, whose arrays and names run over
// many of the file reader's blocks: read from the file, each name gives what
// the writer placed, and on every cut of the file the file reader agrees with
// the in-memory one.
TEST(GetOffset, LargeWrittenImageAgreesWithMemoryReader) {
  ImagePlan plan;
  for (int k = 0; k < 3000; ++k) {
    // Names of varying length so they straddle block edges at every phase.
    plan.exports.push_back({"Export" + std::string(static_cast<std::size_t>(k % 13), '_') + std::to_string(k),
                            "value " + std::to_string(k)});
  }
  const PeImage image = WriteImage(plan);
  ASSERT_GT(image.size(), 64u * 1024);
  const TempDir dir;
  const fs::path path = dir / "large.dll";
  image.SaveTo(path);
  for (std::size_t k = 0; k < plan.exports.size(); ++k) {
    ASSERT_EQ(Get(path, plan.exports[k].name.c_str()), image.layout().dataOffsets[k]) << plan.exports[k].name;
  }
  EXPECT_EQ(Get(path, "Export3000"), 0u);

  const std::vector<std::string> names{plan.exports.front().name, plan.exports[1500].name, plan.exports.back().name,
                                       "Absent"};
  for (uint64_t size = 0; size <= image.size(); size += 509) {
    const std::vector<std::byte> cut(image.bytes().begin(), image.bytes().begin() + static_cast<std::ptrdiff_t>(size));
    WriteWhole(path, std::string_view(reinterpret_cast<const char*>(cut.data()), cut.size()));
    MemoryBytes memory(cut);
    const ByteReader<MemoryBytes> reader(memory);
    for (const std::string& name : names) {
      ASSERT_EQ(Get(path, name.c_str()), FindExportOffset(reader, name)) << name << " cut at " << size;
    }
  }
}

}  // namespace
}  // namespace peloc::testing
