// A mission's details window: where its file lies, its size and time, the
// code page of its texts, and each export's offset and whole text, in
// read-only controls whose texts can be selected and copied. Modeless: more
// than one can be open; Escape closes one.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "handle/unique_handle.h"
#include "ui/core/mission_details.h"
#include "ui/win32/window_base.h"

namespace vostrel::win32 {

// The read-only edit controls of the path, size, time and code page, in that
// order, from kFirstFieldId; the line that says why the texts could not be
// read, kProblemId (only then); the rich edit controls of the exports'
// texts, in MissionDetails' order, from kFirstExportTextId.
inline constexpr int kFirstFieldId = 301;
inline constexpr int kProblemId = 309;
inline constexpr int kFirstExportTextId = 311;

class DetailsWindow final : public Window {
 public:
  // Creates the window of `details`, owned by `owner` (above it, closed with
  // it), sized in twips at the owner's resolution, and shows it.
  DetailsWindow(HINSTANCE instance, HWND owner, const MissionDetails& details, float dpiX, float dpiY);
  // The window goes before the library of its rich edit controls.
  ~DetailsWindow() override;

  // The keys (Escape, Tab, the dialog keys) for a message about to be
  // dispatched to this window or its controls. True when the message has
  // been handled.
  bool PreTranslateMessage(MSG& message);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void CreateControls(const MissionDetails& details);
  void Fit(int clientWidth, int clientHeight);

  using Library = handle::UniqueHandle<handle::NullInvalid<HMODULE, ::FreeLibrary>>;

  float dpiX_;
  float dpiY_;
  Library richEdit_;
  std::array<HWND, 4> fieldCaptions_{};
  std::array<HWND, 4> fields_{};
  HWND problem_ = nullptr;  // none when the texts were read
  std::array<HWND, 3> exportCaptions_{};
  std::array<HWND, 3> exportTexts_{};
};

}  // namespace vostrel::win32
