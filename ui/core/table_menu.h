// The results table's context menu, as both windows offer it: Copy, Filter,
// Details, and the code page the table's texts are read in. Knows no toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "scanner/code_pages.h"

namespace vostrel {

inline constexpr std::string_view kCopyCaption = "Copy";
inline constexpr std::string_view kFilterCaption = "Filter\xE2\x80\xA6";   // also Ctrl+F
inline constexpr std::string_view kDetailsCaption = "Details\xE2\x80\xA6";  // also Enter, a double-click
inline constexpr std::string_view kCodePageMenuCaption = "Code Page";
inline constexpr std::string_view kAutomaticCodePageCaption = "Automatic";

// A code page as the menu names it: "Central European (1250)".
inline std::string CodePageLabel(const CodePageName& codePage) {
  return std::string(codePage.name) + " (" + std::to_string(codePage.number) + ")";
}

// The Code Page menu's choices, in order: Automatic (each mission's own code
// page), then every code page of kCodePages.
inline constexpr std::array<CodePage, kCodePages.size() + 1> kCodePageChoices = [] {
  std::array<CodePage, kCodePages.size() + 1> choices{kAutomaticCodePage};
  for (std::size_t i = 0; i < kCodePages.size(); ++i) choices[i + 1] = kCodePages[i].number;
  return choices;
}();

// A choice of the Code Page menu as the menu names it.
inline std::string CodePageChoiceLabel(CodePage choice) {
  const std::optional<CodePageName> codePage = FindCodePage(choice);
  return codePage ? CodePageLabel(*codePage) : std::string(kAutomaticCodePageCaption);
}

}  // namespace vostrel
