// The results table's context menu, as both windows offer it: Copy, Filter,
// Details, and the code page the table's texts are read in. Knows no toolkit.
#pragma once

#include <string>
#include <string_view>

#include "scanner/code_pages.h"

namespace vostrel {

inline constexpr std::string_view kCopyCaption = "Copy";
inline constexpr std::string_view kFilterCaption = "Filter\xE2\x80\xA6";   // also Ctrl+F
inline constexpr std::string_view kDetailsCaption = "Details\xE2\x80\xA6";  // also Enter, a double-click
inline constexpr std::string_view kCodePageMenuCaption = "Code Page";

// A code page as the menu names it: "Central European (1250)".
inline std::string CodePageLabel(const CodePageName& codePage) {
  return std::string(codePage.name) + " (" + std::to_string(codePage.number) + ")";
}

}  // namespace vostrel
