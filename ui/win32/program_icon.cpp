#include "ui/win32/program_icon.h"

#include "ui/win32/resource.h"

namespace vostrel::win32 {

// LoadImage, not LoadIcon, so that each size gets its own picture rather than a stretched one.
HICON ProgramIcon(HINSTANCE instance, IconSize size) {
  const bool small = size == IconSize::kSmall;
  return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VOSTREL), IMAGE_ICON,
                                         ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                         ::GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace vostrel::win32
