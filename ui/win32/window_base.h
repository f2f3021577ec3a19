// A window object behind a window handle: the window procedure finds the
// object through the window's user data, stored on WM_NCCREATE, and forwards
// every message to its HandleMessage.
#pragma once

#include <windows.h>

namespace vostrel::win32 {

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Null once the window has been destroyed.
  HWND hwnd() const { return hwnd_; }
  bool IsOpen() const { return hwnd_ != nullptr; }

 protected:
  Window() = default;
  // Destroys the window if it is still open; the object no longer hears of it.
  virtual ~Window();

  // Registers the window class once per program; later calls find it registered.
  static void RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HICON icon, HICON smallIcon);
  // Creates the window of a class registered above, bound to this object;
  // with an owner, the window stays above it and goes with it. Throws
  // std::runtime_error when the system refuses.
  void CreateBound(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                   int width, int height, HWND owner = nullptr);

  // The focus as a dialog keeps it: the control that has it when the window
  // is deactivated (WM_ACTIVATE) gets it back when the window gets the focus
  // (WM_SETFOCUS); `first` until one has had it.
  void RememberFocus();
  void RestoreFocus(HWND first);

  // Messages of this window; the default hands them to DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HWND focused_ = nullptr;
};

}  // namespace vostrel::win32
