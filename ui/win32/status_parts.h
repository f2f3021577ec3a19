// The main window's status bar in two parts: the status on the left, and on
// the right whether the table follows its folder, as wide as its text.
#pragma once

#include <windows.h>

#include <string>

namespace vostrel::win32 {

// Shows `text` in the right-hand part of `statusBar` and fits the parts to it.
void ShowRightPart(HWND statusBar, const std::wstring& text);
// Fits the parts to the status bar's width (after it has docked itself) and
// to the right-hand part's text.
void FitStatusParts(HWND statusBar);

}  // namespace vostrel::win32
