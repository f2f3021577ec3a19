// What the Win32 window's measuring programs share: the clock, the window's
// message loop run until a condition holds, and the medians they print.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "ui/win32/main_window.h"

namespace vostrel::win32::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The folder of the running program (the test DLLs lie beside it).
inline std::wstring ProgramFolder() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\'));
}

// The window's message loop until `done` holds.
template <class Done>
void RunUntil(MainWindow& window, const Done& done) {
  MSG message;
  while (!done() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!window.PreTranslateMessage(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace vostrel::win32::bench
