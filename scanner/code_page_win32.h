// Windows: converting 8-bit text of a code page to UTF-16 and back. The
// scanner's encodings and the window's controls both go through these.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vostrel::win32 {

// Bytes that are invalid in the code page become U+FFFD.
std::wstring ToWide(UINT codePage, std::string_view text);
// Characters the code page lacks become its default character.
std::string FromWide(UINT codePage, std::wstring_view text);

}  // namespace vostrel::win32
