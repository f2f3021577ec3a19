// Windows: 8-bit texts are in the system's ANSI code page; the program's texts
// are UTF-8. Every conversion goes through UTF-16.
#include "code_page_win32.h"
#include "text_encoding.h"

namespace vostrel {

using win32::FromWide;
using win32::ToWide;

std::string DecodeAnsi(std::string_view bytes) { return FromWide(CP_UTF8, ToWide(CP_ACP, bytes)); }

std::string NativeToUtf8(std::string_view native) { return DecodeAnsi(native); }

std::string Utf8ToNative(std::string_view utf8) { return FromWide(CP_ACP, ToWide(CP_UTF8, utf8)); }

}  // namespace vostrel
