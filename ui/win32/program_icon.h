// The program's icon, as its windows show it.
#pragma once

#include <windows.h>

namespace vostrel::win32 {

enum class IconSize { kLarge, kSmall };

// The icon at the system's size for a window's large or small icon; shared
// by the system, never destroyed. Null when the program carries none.
HICON ProgramIcon(HINSTANCE instance, IconSize size);

}  // namespace vostrel::win32
