// Putting a text on the Windows clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace vostrel::win32 {

// Replaces the clipboard's contents with the text, as CF_UNICODETEXT. False
// when another program holds the clipboard open or memory runs out.
bool PutOnClipboard(HWND owner, std::wstring_view text);

}  // namespace vostrel::win32
