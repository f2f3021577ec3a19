// Test-only: mission DLLs whose texts are as real (or damaged) missions carry
// them: several lines, very long, or running on to the end of the file.
// Written field by field by the lookup tests' PE writer, into a test's folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vostrel::testing {

// Writes a PE image exporting MapName, TechtreeName ("Standard Techtree") and
// LevelDesc. With fillerBytes, LevelDesc's description runs on over that many
// bytes of FillerText to the end of the file, with no zero byte after it; the
// filler is written piece by piece, never held whole.
void WriteMission(const std::string& path, std::string_view mapName, std::string_view description,
                  std::uint64_t fillerBytes = 0);

// Writes the same image with an empty description that runs on over
// `fillerBytes` copies of `fillerByte` (not zero) to the end of the file.
// With everyTextRunsOn, the map and techtree names lose their zero bytes too
// (the bytes between them and the description become `fillerByte`), so that
// all three texts run on to the end of the file.
void WriteDamagedMission(const std::string& path, std::string_view mapName, std::uint64_t fillerBytes,
                         char fillerByte, bool everyTextRunsOn = false);

// Writes the mission of WriteMission with its texts, the image's last
// section, at file offset `textsOffset` (MapName's text first, right there),
// the bytes between the headers and them a hole: a sparse file of more than
// textsOffset bytes, which takes a few KB of disk.
void WriteMissionWithTextsAt(const std::string& path, std::uint32_t textsOffset, std::string_view mapName,
                             std::string_view description);

// The first `bytes` bytes of the filler: readable text, no zero byte.
std::string FillerText(std::size_t bytes);

}  // namespace vostrel::testing
