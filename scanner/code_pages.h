// The Windows code pages mission texts can be written in: the ANSI code pages
// of Windows' locales, by number and by name, and the one Windows gives a
// locale. Knows no platform.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "i18n/translation.h"

namespace vostrel {

// A Windows code page number, such as 1252.
using CodePage = unsigned int;

// Not a code page but the choice of none: each mission's texts are read in
// the code page their bytes most likely are (TextDecoding).
inline constexpr CodePage kAutomaticCodePage = 0;

struct CodePageName {
  CodePage number;
  std::string_view name;  // what the script or region is called, e.g. "Central European": Translated() where shown
};

// Every ANSI code page of Windows' locales, in the order a menu offers them.
// TRANSLATORS: the names of Windows' code pages, as the system's own settings name them.
inline constexpr std::array<CodePageName, 14> kCodePages{{
    {874, MarkedText("Thai")},
    {932, MarkedText("Japanese")},
    {936, MarkedText("Chinese Simplified")},
    {949, MarkedText("Korean")},
    {950, MarkedText("Chinese Traditional")},
    {1250, MarkedText("Central European")},
    {1251, MarkedText("Cyrillic")},
    {1252, MarkedText("Western European")},
    {1253, MarkedText("Greek")},
    {1254, MarkedText("Turkish")},
    {1255, MarkedText("Hebrew")},
    {1256, MarkedText("Arabic")},
    {1257, MarkedText("Baltic")},
    {1258, MarkedText("Vietnamese")},
}};

// The entry of kCodePages for a number, or empty when it is none of them.
std::optional<CodePageName> FindCodePage(CodePage number);

// The ANSI code page Windows gives a locale, from a POSIX locale name such as
// "pl_PL.UTF-8", "sr_RS@latin" or "zh_TW": its language, territory and script
// decide; every other locale, "C", "POSIX" and "" give 1252.
CodePage AnsiCodePageOfLocale(std::string_view localeName);

}  // namespace vostrel
