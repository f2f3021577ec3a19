#include "ui/core/mission_details.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "i18n/translation.h"

#include "scanner/dll_listing.h"
#include "scanner/mission_reader.h"
#include "scanner/read_only_file.h"
#include "scanner/text_reader.h"
#include "ui/core/table_menu.h"
#include "ui/core/table_text.h"

namespace vostrel {
namespace {

// 172032 as "172,032", with the language's own separator. Built by
// appending: GCC 12 at -O3 warns of an overlap that cannot happen in the
// string's insert.
std::string WithThousands(std::uintmax_t number) {
  const std::string digits = std::to_string(number);
  // TRANSLATORS: what goes between each three digits of a large number (a file's size in bytes).
  const std::string separator = TranslatedIn("thousands separator", ",");
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

std::string OffsetText(std::uint32_t offset) {
  // TRANSLATORS: the offset of an export that the DLL does not have.
  if (offset == 0) return Translated("not found");
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", offset);
  return std::to_string(offset) + " (" + hex + ")";
}

std::string LocalTime(std::filesystem::file_time_type time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(time));
  // The window's own thread alone asks: localtime's one buffer is safe here.
  const std::tm* local = std::localtime(&seconds);
  char text[32] = "";
  if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0) return Translated("unknown");
  return text;
}

}  // namespace

std::optional<ScanRow> ReadMissionRow(LookupBinding& binding, const std::string& path, const TextDecoding& decoding,
                                      std::size_t maxTextBytes) {
  // The lookup answers 0 for a file it cannot open, as for one without the
  // export: a file locked by its writer (or gone again) must not pass for one
  // without texts.
  OpenFailure failure;
  if (!ReadOnlyFile::Open(path, &failure)) throw TextReadError(failure.reason);
  MissionRead read = ReadMission(binding, path, decoding, maxTextBytes);
  if (read.unreadable) throw TextReadError(*read.unreadable);
  if (!read.HasText()) return std::nullopt;
  return ScanRow{NativeToUtf8(path.substr(path.rfind(kPathSeparator[0]) + 1)), std::move(read.texts[0]),
                 std::move(read.texts[1]), std::move(read.texts[2])};
}

std::string DetailsText(std::string_view text) {
  std::string shown;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    shown += EscapeMessage(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    shown += '\n';
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return shown;
}

std::string CodePageText(const MissionCodePage& codePage) {
  const std::optional<CodePageName> named = FindCodePage(codePage.codePage);
  const std::string label = named ? CodePageLabel(*named) : std::to_string(codePage.codePage);
  switch (codePage.source) {
    case CodePageSource::kDetected:
      // TRANSLATORS: the details window's code page, told from the texts: "Central European (1250), detected".
      return Translated("{codePage}, detected", {{"codePage", label}});
    case CodePageSource::kUnsure:
      return Translated("{codePage}, the default: none detected", {{"codePage", label}});
    case CodePageSource::kChosen:
    case CodePageSource::kNoSign:
      break;
  }
  return label;
}

MissionDetails ReadMissionDetails(LookupBinding& binding, const std::string& folder, const std::string& file,
                                  const TextDecoding& decoding) {
  MissionDetails details;
  // A name may hold any control character (ESC, BEL, a line break): shown as the table copies it.
  details.file = EscapeMessage(file);
  const std::string path = JoinPath(Utf8ToNative(folder), Utf8ToNative(file));
  details.path = EscapeMessage(NativeToUtf8(path));
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(NativePath(path), error);
  details.size = error ? Translated("unknown")
                       : TranslatedCount("{count} byte", "{count} bytes", size, {{"count", WithThousands(size)}});
  const auto modified = std::filesystem::last_write_time(NativePath(path), error);
  details.modified = error ? Translated("unknown") : LocalTime(modified);

  // The same reading as a scan's, each text whole up to the windows' bound.
  // A file gone since the scan is said too: the scan's reading passes it over.
  OpenFailure failure;
  MissionRead read;
  if (ReadOnlyFile::Open(path, &failure)) {
    read = ReadMission(binding, path, decoding, kFullTextBytes);
  } else {
    read.unreadable = failure.reason;
  }
  if (read.lookupUnavailable) details.problem = EscapeMessage(*read.lookupUnavailable);
  if (read.unreadable) {
    details.problem = Translated("Cannot read {file}: {reason}", {{"file", details.file}, {"reason", *read.unreadable}});
  }
  // A mission without texts read has none to tell by.
  details.codePage = CodePageText(read.codePage.codePage != 0 ? read.codePage : decoding.CodePageOf({}));
  for (std::size_t i = 0; i < kMissionExports.size(); ++i) {
    MissionDetails::Export& shown = details.exports[i];
    shown.name = kMissionExports[i];
    shown.offset = details.problem.empty() ? OffsetText(read.offsets[i]) : Translated("unknown");
    if (details.problem.empty()) shown.text = DetailsText(read.texts[i]);
  }
  return details;
}

}  // namespace vostrel
