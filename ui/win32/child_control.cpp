#include "ui/win32/child_control.h"

#include <cstddef>

namespace vostrel::win32 {

HWND CreateControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle) {
  return ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetDefaultGuiFont(HWND control) {
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

void PlaceInTwips(HWND control, const layout::TwipsRect& rect, float dpiX, float dpiY) {
  ::SetWindowPos(control, nullptr, layout::TwipsToPixels(rect.left, dpiX), layout::TwipsToPixels(rect.top, dpiY),
                 layout::TwipsToPixels(rect.width, dpiX), layout::TwipsToPixels(rect.height, dpiY),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vostrel::win32
