// Ownership of a GDI font: deleted when its owner goes.
#pragma once

#include <windows.h>

#include "handle/unique_handle.h"

namespace vostrel::win32 {

using Font = handle::UniqueHandle<handle::NullInvalid<HFONT, ::DeleteObject>>;

}  // namespace vostrel::win32
