// Reading one mission DLL's three texts: their offsets from the lookup
// library first, then the texts, all through one open of the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "scanner/code_page_detection.h"
#include "scanner/lookup_binding.h"
#include "scanner/text_decoding.h"

namespace vostrel {

// The exports a mission's texts lie at, in the order of a row's columns.
inline constexpr std::array<const char*, 3> kMissionExports{"MapName", "TechtreeName", "LevelDesc"};

// What a scan reads of one file.
struct MissionRead {
  std::array<uint32_t, kMissionExports.size()> offsets{};  // as the lookup gives them: 0 when not found
  std::array<std::string, kMissionExports.size()> texts;  // in UTF-8; empty when not found or not readable
  bool cut = false;                  // a text went on past the bytes allowed
  MissionCodePage codePage;          // the texts were read in (0 when none was read), and how it came to be
  // The reason the lookup library could not be bound, when it could not.
  std::optional<std::string> lookupUnavailable;
  // The system's reason the file could not be opened, when it could not for
  // another reason than being gone, or one of its texts could not be read:
  // then it has no texts.
  std::optional<std::string> unreadable;

  bool HasText() const { return !texts[0].empty() || !texts[1].empty() || !texts[2].empty(); }
};

// Opens the file (native path), asks for its offsets, the library reading
// the file through that open (with Peloc 1.0, by path), and reads its texts
// through it (ReadMissionTexts). A failed lookup leaves that text empty,
// never another's; a text that cannot be read makes the file one that
// cannot be read.
MissionRead ReadMission(LookupBinding& binding, const std::string& path, const TextDecoding& decoding,
                        std::size_t maxTextBytes);

// Reads the texts at `read`'s offsets (again): the file is opened once, and
// only when some text was found, and the texts are read in the order they lie
// in it, in the code page `decoding` gives the mission.
void ReadMissionTexts(const std::string& path, const TextDecoding& decoding, std::size_t maxTextBytes,
                      MissionRead& read);

}  // namespace vostrel
