#include "wide_text.h"

#include "code_page_win32.h"

namespace vostrel::win32 {

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view utf16) { return FromWide(CP_UTF8, utf16); }

}  // namespace vostrel::win32
