// Keeps the last column of a report-mode list view filling the width its
// other columns leave (layout::LastColumnWidth): the columns keep their
// designed widths, and a window wider than them shows no empty space right
// of the last. A width the user gives a column stays; the last column's is
// the least it keeps when the window is narrower again. (LVSCW_AUTOSIZE_USEHEADER
// would narrow the last column below its width at the designed size too.)
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace vostrel::win32 {

class ColumnStretch {
 public:
  // Hooks `listView`, whose columns have their widths as designed, to follow
  // its size and its columns' widths.
  explicit ColumnStretch(HWND listView);
  ColumnStretch(const ColumnStretch&) = delete;
  ColumnStretch& operator=(const ColumnStretch&) = delete;
  ~ColumnStretch();

 private:
  static LRESULT CALLBACK ListViewProcedure(HWND listView, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
  void ColumnChanged(const NMHEADERW& change);
  void Fit();
  int LastColumn() const;

  HWND listView_;
  int ownWidth_;  // the last column's, as designed or as the user set it
  bool fitting_ = false;
};

}  // namespace vostrel::win32
