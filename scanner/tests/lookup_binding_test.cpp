#include "scanner/lookup_binding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scanner/mission_reader.h"
#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"
#include "scanner/text_reader.h"

namespace vostrel {
namespace {

using testing::TempFolder;
using testing::TestDll;

TEST(LookupBinding, BindsTheLibraryBesideTheProgram) {
  LookupBinding binding;
  const std::string dll = TestDll("mission_full.dll");
  const uint32_t offset = binding.GetOffset(dll, "MapName");
  ASSERT_GT(offset, 0u);
  EXPECT_EQ(testing::ReadText(dll, offset), testing::texts::kFullMap);
  EXPECT_EQ(testing::ReadText(dll, binding.GetOffset(dll, "LevelDesc")), testing::texts::kFullDesc);
  EXPECT_EQ(binding.GetOffset(dll, "mapname"), 0u);
  EXPECT_EQ(binding.GetOffset(TestDll("functions_only.dll"), "MapName"), 0u);
  EXPECT_EQ(binding.GetOffset(TestDll("no_such_file.dll"), "MapName"), 0u);
}

TEST(LookupBinding, FailsUntilTheLibraryIsInPlaceThenKeepsIt) {
  const TempFolder folder;
  const std::string library = folder / testing::kPelocFileName;
  const std::string garbage = folder / (std::string("garbage") + testing::kLibraryExtension);
  const std::string dll = TestDll("mission_full.dll");
  // Candidates that are no library, a library without GetOffset, and one not there yet.
  testing::WriteFile(garbage, "not a shared object");
  LookupBinding binding({garbage, testing::kLibraryWithoutGetOffset, library});
  EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);
  EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);

  std::filesystem::copy_file(std::filesystem::path(VOSTREL_PELOC_LIBRARY), library);
  // Bound by whichever of several threads asks first, once.
  std::array<uint32_t, 4> offsets{};
  {
    std::vector<std::jthread> threads;
    for (uint32_t& found : offsets) threads.emplace_back([&] { found = binding.GetOffset(dll, "MapName"); });
  }
  const uint32_t offset = offsets[0];
  EXPECT_EQ(testing::ReadText(dll, offset), testing::texts::kFullMap);
  EXPECT_EQ(std::count(offsets.begin(), offsets.end(), offset), 4);

  // Bound once: the library file can go, the binding stays. (Windows keeps a
  // loaded library's file from being deleted, but not from being renamed.)
  std::filesystem::rename(library, folder / (std::string("moved") + testing::kLibraryExtension));
  EXPECT_EQ(binding.GetOffset(dll, "MapName"), offset);
}

// Peloc 1.1 reads a file through what the caller holds of it, never opening
// the path; Peloc 1.0, which has GetOffset alone, beside the program, is
// asked by path, one name at a time.
TEST(LookupBinding, ReadsThroughTheCallersFileWhereTheLibraryCan) {
  const std::string dll = TestDll("mission_full.dll");
  const std::string bytes = testing::ReadFile(dll);
  const PelocImage held{bytes.size(), bytes.data(), bytes.size(), nullptr, nullptr};
  const TempFolder folder;
  const std::string gone = folder / "gone.dll";
  for (const auto& [library, throughTheCaller] : {std::pair{std::string(VOSTREL_PELOC_LIBRARY), true},
                                                  std::pair{std::string(VOSTREL_PELOC_1_0_LIBRARY), false}}) {
    LookupBinding binding({library});
    std::array<uint32_t, kMissionExports.size()> offsets{};
    binding.GetOffsets(dll, held, kMissionExports, offsets);
    EXPECT_EQ(testing::ReadText(dll, offsets[0]), testing::texts::kFullMap) << library;
    EXPECT_EQ(testing::ReadText(dll, offsets[1]), testing::texts::kFullTech) << library;
    EXPECT_EQ(testing::ReadText(dll, offsets[2]), testing::texts::kFullDesc) << library;
    const auto found = offsets;
    binding.GetOffsets(gone, held, kMissionExports, offsets);
    EXPECT_EQ(offsets, throughTheCaller ? found : decltype(offsets){}) << library;
  }
}

// Each mistake in the library's place is said as what it is (a library cut
// short, a copy still being written, at every size it is refused), alike on
// every platform; the library is bound by the next lookup once it is whole.
TEST(LookupBinding, SaysEachLibraryMistakeThenBindsTheWholeLibrary) {
  const TempFolder folder;
  const std::string library = folder / testing::kPelocFileName;
  const std::string whole = testing::ReadFile(VOSTREL_PELOC_LIBRARY);
  const std::string dll = TestDll("mission_full.dll");
  const std::string bits = sizeof(void*) == 8 ? "64" : "32";
  const std::string otherBits = sizeof(void*) == 8 ? "32" : "64";
  struct Case {
    std::optional<std::string> bytes;  // none: no file
    std::string said;                  // before "looked for"
  };
  std::vector<Case> cases{
      {std::nullopt, ""},
      {testing::OtherWordSizeLibrary(whole),
       library + " is a " + otherBits + "-bit library (this program is " + bits + "-bit); "},
      {testing::ReadFile(testing::LibraryFileWithoutGetOffset()), library + " does not export GetOffset; "},
  };
  for (const std::size_t size : testing::RefusedLibraryCuts(whole.size())) {
    cases.push_back({whole.substr(0, size), library + " is damaged or incomplete; "});
  }
  LookupBinding binding({library});
  for (const Case& c : cases) {
    std::filesystem::remove(library);
    if (c.bytes) testing::WriteFile(library, *c.bytes);
    try {
      binding.GetOffset(dll, "MapName");
      ADD_FAILURE() << "bound " << c.said;
    } catch (const LookupUnavailable& unavailable) {
      EXPECT_EQ(std::string(unavailable.what()),
                "Cannot load the lookup library Peloc: " + c.said + "looked for " + library + ".");
    }
  }
  testing::WriteFile(library, whole);
  EXPECT_EQ(testing::ReadText(dll, binding.GetOffset(dll, "MapName")), testing::texts::kFullMap);
}

}  // namespace
}  // namespace vostrel
