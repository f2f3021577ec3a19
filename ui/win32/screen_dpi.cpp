#include "ui/win32/screen_dpi.h"

#include <windows.h>

#include "handle/unique_handle.h"

namespace vostrel::win32 {
namespace {

struct ScreenDcTraits {
  static HDC Invalid() noexcept { return nullptr; }
  static void Release(HDC dc) noexcept { ::ReleaseDC(nullptr, dc); }
};
using ScreenDc = handle::UniqueHandle<ScreenDcTraits>;

}  // namespace

float ScreenDpi(int index) {
  const ScreenDc screen(::GetDC(nullptr));
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), index) : 0;
  return static_cast<float>(dpi > 0 ? dpi : 96);
}

}  // namespace vostrel::win32
