// Which of the code pages the program offers a mission's texts are most
// likely written in, told from their bytes by a charset detector (uchardet).
// Knows no platform.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "scanner/code_pages.h"

namespace vostrel {

// How the code page of a mission's texts came to be.
enum class CodePageSource {
  kChosen,    // the one chosen for all missions
  kDetected,  // told from the texts' bytes
  kNoSign,    // the texts are ASCII, which every code page reads alike: the default
  kUnsure,    // the detector could not tell, or named none of the code pages offered: the default
};

struct MissionCodePage {
  CodePage codePage = 0;
  CodePageSource source = CodePageSource::kChosen;

  bool operator==(const MissionCodePage&) const = default;
};

// What is judged of each text: its first bytes, as many as a detector needs,
// and the same whatever else of the text a reader holds, so that a mission
// is told alike by a scan, its details and a copy.
inline constexpr std::size_t kDetectionBytes = 4 * 1024;

// The code page of kCodePages that `texts` (a mission's, judged together: a
// short name tells little on its own) are most likely written in; `fallback`
// when they are ASCII or the detector is unsure.
MissionCodePage DetectCodePage(std::span<const std::string_view> texts, CodePage fallback);

}  // namespace vostrel
