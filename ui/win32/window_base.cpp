#include "ui/win32/window_base.h"

#include <stdexcept>

namespace vostrel::win32 {

Window::~Window() {
  if (hwnd_ == nullptr) return;
  // The derived part is gone: unhook first, so that the destruction's messages
  // go to the default procedure and not to a half-destroyed object.
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

void Window::RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HICON icon, HICON smallIcon) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, className, &existing)) return;

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hIconSm = smallIcon;
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  if (::RegisterClassExW(&windowClass) == 0) throw std::runtime_error("cannot register the window class");
}

void Window::CreateBound(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, DWORD style,
                         DWORD exStyle, int width, int height, HWND owner) {
  ::CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, owner, nullptr,
                    instance, this);
  if (hwnd_ == nullptr) throw std::runtime_error("cannot create the window");
}

void Window::RememberFocus() {
  const HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(hwnd_, focus)) focused_ = focus;
}

// A control hidden since (the filter box) gives the focus to `first`.
void Window::RestoreFocus(HWND first) {
  const bool back = focused_ != nullptr && ::IsChild(hwnd_, focused_) && ::IsWindowVisible(focused_);
  ::SetFocus(back ? focused_ : first);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the unhooking.
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  // An exception must not unwind through the system's frames that called us.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return message == WM_CREATE ? -1 : 0;
  }
}

}  // namespace vostrel::win32
