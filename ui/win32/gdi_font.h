// Ownership of a GDI font: deleted when its owner goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace vostrel::win32 {

struct FontDeleter {
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

}  // namespace vostrel::win32
