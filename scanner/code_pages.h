// The Windows code pages mission texts can be written in: the ANSI code pages
// of Windows' locales, by number and by name, and the one Windows gives a
// locale. Knows no platform.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace vostrel {

// A Windows code page number, such as 1252.
using CodePage = unsigned int;

// Not a code page but the choice of none: each mission's texts are read in
// the code page their bytes most likely are (TextDecoding).
inline constexpr CodePage kAutomaticCodePage = 0;

struct CodePageName {
  CodePage number;
  std::string_view name;  // what the script or region is called, e.g. "Central European"
};

// Every ANSI code page of Windows' locales, in the order a menu offers them.
inline constexpr std::array<CodePageName, 14> kCodePages{{
    {874, "Thai"},
    {932, "Japanese"},
    {936, "Chinese Simplified"},
    {949, "Korean"},
    {950, "Chinese Traditional"},
    {1250, "Central European"},
    {1251, "Cyrillic"},
    {1252, "Western European"},
    {1253, "Greek"},
    {1254, "Turkish"},
    {1255, "Hebrew"},
    {1256, "Arabic"},
    {1257, "Baltic"},
    {1258, "Vietnamese"},
}};

// The entry of kCodePages for a number, or empty when it is none of them.
std::optional<CodePageName> FindCodePage(CodePage number);

// The ANSI code page Windows gives a locale, from a POSIX locale name such as
// "pl_PL.UTF-8", "sr_RS@latin" or "zh_TW": its language, territory and script
// decide; every other locale, "C", "POSIX" and "" give 1252.
CodePage AnsiCodePageOfLocale(std::string_view localeName);

}  // namespace vostrel
