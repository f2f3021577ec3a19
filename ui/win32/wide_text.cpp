#include "ui/win32/wide_text.h"

#include "scanner/code_page_win32.h"

namespace vostrel::win32 {

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view utf16) { return FromWide(CP_UTF8, utf16); }

std::wstring WithCrLf(std::wstring_view lines) {
  std::wstring text;
  text.reserve(lines.size() + lines.size() / 16);
  for (const wchar_t c : lines) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  return text;
}

}  // namespace vostrel::win32
