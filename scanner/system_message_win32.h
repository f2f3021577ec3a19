// The system's words for a Win32 error code, in UTF-8.
#pragma once

#include <windows.h>

#include <string>

namespace vostrel::win32 {

// Without the line break the system ends them in; "error N" when the system
// has no words for it.
std::string SystemMessage(DWORD error);

}  // namespace vostrel::win32
