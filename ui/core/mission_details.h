// One mission as its details window shows it: where the file lies, its size
// and time, the code page of its texts, and each export's offset and whole
// text (up to the windows' bound), read again from the file. Every text is
// UTF-8, ready to show. Knows no toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "scanner/code_page_detection.h"
#include "i18n/translation.h"
#include "scanner/lookup_binding.h"
#include "scanner/scan_view.h"
#include "scanner/text_decoding.h"

namespace vostrel {

// The captions both details windows use, translated where they are shown.
// TRANSLATORS: a mission's details window: the file's path, size, time of
// last change and the code page its texts are read in.
inline constexpr std::string_view kPathCaption = MarkedText("Path");
inline constexpr std::string_view kSizeCaption = MarkedText("Size");
inline constexpr std::string_view kModifiedCaption = MarkedText("Modified");
inline constexpr std::string_view kCodePageCaption = MarkedText("Code page");

struct MissionDetails {
  struct Export {
    std::string name;    // "MapName"
    std::string offset;  // "4096 (0x1000)", "not found"
    std::string text;    // line breaks as LF, other control characters escaped (EscapeMessage)
  };

  std::string file;      // the file name, escaped as the table copies it (EscapeMessage): the window's title
  std::string path;      // folder and file name as the scan joined them, escaped the same way
  std::string size;      // "172,032 bytes"
  std::string modified;  // local time, "2026-12-08 17:36:14"
  std::string codePage;  // "Western European (1252)", "Central European (1250), detected" (CodePageText)
  // Why the texts could not be read, said once, with the system's reason:
  // "Cannot read m5.dll: No such file or directory", or the lookup library's
  // problem. Empty when they were read; the exports then show no text.
  std::string problem;
  std::array<Export, 3> exports;
};

// Reads the details of `file` in `folder` (both UTF-8, as the table and the
// folder box hold them), its texts through `binding` in the code page
// `decoding` gives them. A size or time that cannot be read is "unknown";
// texts that cannot be read are said in `problem`.
MissionDetails ReadMissionDetails(LookupBinding& binding, const std::string& folder, const std::string& file,
                                  const TextDecoding& decoding);

// The row of the mission DLL at `path` (native text) as a scan finds it, of
// each text at most `maxTextBytes` bytes read (kTableTextBytes for the table,
// kFullTextBytes for a copy); none when it holds none of the three.
// Throws TextReadError when the file cannot be opened (locked, or gone) or
// a text of it cannot be read.
std::optional<ScanRow> ReadMissionRow(LookupBinding& binding, const std::string& path, const TextDecoding& decoding,
                                      std::size_t maxTextBytes);

// The code page of a mission's texts as its details say it: "Western
// European (1252)" when chosen, or when the texts are ASCII, which every code
// page reads alike; "Central European (1250), detected"; "Western European
// (1252), the default: none detected" when the texts told none.
std::string CodePageText(const MissionCodePage& codePage);

// A text as the details window shows it: each line break (CR LF, LF or CR)
// as LF, every other control character in the console's escape form.
std::string DetailsText(std::string_view text);

}  // namespace vostrel
