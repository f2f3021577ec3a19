// Conversions between the program's UTF-8 texts and the 8-bit texts of files
// and file names. One implementation per platform.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

// Bytes in the ANSI code page (the system's on Windows; Windows-1252
// elsewhere, with its five unassigned bytes taken as the C1 controls of the
// same value, as Windows does) to UTF-8.
std::string DecodeAnsi(std::string_view bytes);

// A file-system name (ANSI on Windows, UTF-8 elsewhere) to UTF-8 and back.
std::string NativeToUtf8(std::string_view native);
std::string Utf8ToNative(std::string_view utf8);

}  // namespace vostrel
