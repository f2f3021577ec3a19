// The window's controls speak UTF-16; the rest of the program speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::win32 {

// Invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace vostrel::win32
