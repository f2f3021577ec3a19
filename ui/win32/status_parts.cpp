#include "ui/win32/status_parts.h"

#include <commctrl.h>

#include <algorithm>

#include "handle/unique_handle.h"

namespace vostrel::win32 {
namespace {

struct WindowDcTraits {
  static HDC Invalid() noexcept { return nullptr; }
  static void Release(HDC dc) noexcept { ::ReleaseDC(::WindowFromDC(dc), dc); }
};
using WindowDc = handle::UniqueHandle<WindowDcTraits>;

// The room the right-hand part's text takes in the status bar's font, with
// the part's borders and the size grip beside it.
int RightPartWidth(HWND statusBar) {
  const auto length = LOWORD(::SendMessageW(statusBar, SB_GETTEXTLENGTHW, 1, 0));
  if (length == 0) return 0;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(statusBar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text.data()));
  const WindowDc dc(::GetDC(statusBar));
  if (!dc) return 0;
  const HGDIOBJ font = ::SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(statusBar, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(length), &size);
  ::SelectObject(dc.get(), font);
  return size.cx + 2 * ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXVSCROLL) + 8;
}

}  // namespace

void ShowRightPart(HWND statusBar, const std::wstring& text) {
  ::SendMessageW(statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text.c_str()));
  FitStatusParts(statusBar);
}

void FitStatusParts(HWND statusBar) {
  RECT bar{};
  ::GetClientRect(statusBar, &bar);
  const int parts[] = {std::max(0, static_cast<int>(bar.right) - RightPartWidth(statusBar)), -1};
  ::SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

}  // namespace vostrel::win32
