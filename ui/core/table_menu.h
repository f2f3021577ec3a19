// The results table's context menu, as both windows offer it: Copy, Filter,
// Details, and the code page the table's texts are read in. Knows no toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "i18n/translation.h"
#include "scanner/code_pages.h"

namespace vostrel {

// Translated where they are shown (Translated()).
// TRANSLATORS: the results table's context menu.
inline constexpr std::string_view kCopyCaption = MarkedText("Copy");
inline constexpr std::string_view kFilterCaption = MarkedText("Filter…");   // also Ctrl+F
inline constexpr std::string_view kDetailsCaption = MarkedText("Details…");  // also Enter, a double-click
inline constexpr std::string_view kCodePageMenuCaption = MarkedText("Code Page");
inline constexpr std::string_view kAutomaticCodePageCaption = MarkedText("Automatic");

// A code page as the menu names it, in the user's language: "Central European (1250)".
inline std::string CodePageLabel(const CodePageName& codePage) {
  return Translated(codePage.name) + " (" + std::to_string(codePage.number) + ")";
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
  return codePage ? CodePageLabel(*codePage) : Translated(kAutomaticCodePageCaption);
}

}  // namespace vostrel
