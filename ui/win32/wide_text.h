// The window's controls speak UTF-16; the rest of the program speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::win32 {

// Invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Lines as the clipboard and multi-line edit controls take them: each LF
// ends in CR LF. The text holds no CR of its own.
std::wstring WithCrLf(std::wstring_view lines);

}  // namespace vostrel::win32
