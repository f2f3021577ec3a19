// Tooltips on the cells of a report-mode list view. The list view has none
// per cell of its own (its info tips are per item, and Wine has none), so one
// tooltip tool follows the cell under the mouse and asks for that cell's text
// just before it shows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace vostrel::win32 {

class TableTips {
 public:
  // The tip of a cell; an empty text shows no tooltip.
  using TipFor = std::function<std::wstring(int item, int subItem)>;

  // Creates the tooltip, owned by `owner`, and hooks the list view `table`
  // to pass it the mouse. Lines of a tip wrap at maxWidth pixels.
  TableTips(HWND table, HWND owner, int maxWidth, TipFor tipFor);
  TableTips(const TableTips&) = delete;
  TableTips& operator=(const TableTips&) = delete;
  ~TableTips();

  HWND tooltip() const { return tooltip_; }

 private:
  static LRESULT CALLBACK TableProcedure(HWND table, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
  void Follow(POINT point);
  void Relay(UINT message, WPARAM wParam, LPARAM lParam);
  void FillText(NMTTDISPINFOW& info);
  TOOLINFOW Tool();

  HWND table_;
  HWND tooltip_ = nullptr;
  TipFor tipFor_;
  int item_ = -1;  // the cell under the mouse; -1: none
  int subItem_ = -1;
  std::wstring text_;  // the tip shown, kept while the tooltip reads it
};

}  // namespace vostrel::win32
