// The results table's context menu, as both windows offer it: Copy, Filter,
// Details, and the code page the table's texts are read in. Knows no toolkit.
#pragma once

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

// A code page as the menu names it, in the user's language: "Central European (1250)".
inline std::string CodePageLabel(const CodePageName& codePage) {
  return Translated(codePage.name) + " (" + std::to_string(codePage.number) + ")";
}

}  // namespace vostrel
