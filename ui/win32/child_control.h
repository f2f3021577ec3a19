// The controls of the program's windows: created, given the dialog font,
// and placed by the design's twips at the window's resolution.
#pragma once

#include <windows.h>

#include <string>

#include "ui/core/window_layout.h"

namespace vostrel::win32 {

// A visible child control of `parent` with the identifier `id`; null when
// the system refuses.
HWND CreateControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle);

// The text a control holds.
std::wstring ControlText(HWND control);

// The system's font for dialogs (a stock object: shared, never deleted).
void SetDefaultGuiFont(HWND control);

// Moves and sizes `control` to `rect` (twips) at dpiX x dpiY.
void PlaceInTwips(HWND control, const layout::TwipsRect& rect, float dpiX, float dpiY);

}  // namespace vostrel::win32
