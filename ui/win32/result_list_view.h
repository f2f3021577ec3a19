// The results table as an owner-data list view: the rows live once, in the
// scan session's ResultTable; the list view knows only how many there are
// and asks for the text of each cell as it draws it. Rows a scan adds reach
// it in batches, so that it lays out and paints once per batch.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ui/core/result_table.h"
#include "ui/core/scan_session.h"
#include "ui/core/table_text.h"
#include "ui/win32/table_selection.h"

namespace vostrel::win32 {

class ResultListView {
 public:
  // `listView`: a report-mode list view with LVS_OWNERDATA and its columns.
  ResultListView(HWND listView, const ResultTable& table) : listView_(listView), table_(table) {}
  ResultListView(const ResultListView&) = delete;
  ResultListView& operator=(const ResultListView&) = delete;

  // The table lost every row.
  void Cleared();
  // The table changed: the list view counts its rows, and selected rows that
  // move stay selected; rows that no longer show lose the selection and the
  // focus. Costs as many list view calls as rows change state, whatever the
  // number selected. Rows added below the rows in view, changing nothing
  // there, are counted only with change.countRowsBelowView: a new count
  // redraws the list view's scroll bar, which costs as much as painting all
  // the rows in view.
  void Changed(const TableChange& change);
  // The header shows the column sorted by and which way.
  void ShowSortInHeader() const;

  // LVN_ITEMCHANGED and LVN_ODSTATECHANGED: the selection the window keeps
  // follows the list view's.
  void ItemChanged(const NMLISTVIEW& change);
  void ItemsChanged(const NMLVODSTATECHANGE& change);

  void SelectAll();
  // The selected rows, those past the list view's count too (for a copy).
  std::vector<std::size_t> SelectedRows();

  // LVN_GETDISPINFOW: the cell's one-line text (CellText), as UTF-16.
  void FillDisplayInfo(LVITEMW& item);
  // LVN_ODFINDITEMW, for the keys typed in the table: the first row from
  // iStart on (then from the top, with LVFI_WRAP) whose file name starts with
  // the text typed, in any letter case; -1 when none does.
  int FindItem(const NMLVFINDITEMW& find) const;
  // A cell's tooltip: its text, bounded (TipText), when the cell cuts it or
  // it does not fit; otherwise empty. A message row's cell is the whole row.
  std::wstring Tip(int item, int subItem) const;
  // NM_CUSTOMDRAW: a message row is drawn across the whole row, so that it
  // reads whole without a tooltip; the list view draws the others.
  LRESULT CustomDraw(const NMLVCUSTOMDRAW& draw) const;

 private:
  int ItemCount() const;
  bool IsMessage(int item) const;
  // The whole row, as far as the list view's columns or its client area reach.
  RECT MessageRect(int item) const;
  bool InView(std::size_t item) const;
  std::vector<std::size_t> SelectedItems() const;
  void CheckSelection();
  void SelectCounted(std::size_t from);

  HWND listView_;
  const ResultTable& table_;
  // The list view's, kept to move it with the rows; and the selected rows
  // moved past the list view's count, which it selects once it counts them.
  TableSelection selection_;
  std::wstring cell_;  // the cell last asked for
};

}  // namespace vostrel::win32
