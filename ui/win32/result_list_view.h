// The results table as an owner-data list view: the rows live once, in a
// ResultTable; the list view knows only how many there are and asks for the
// text of each cell as it draws it. Rows a scan adds are collected and handed
// to the list view together, so that it lays out and paints once per batch.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "result_table.h"
#include "table_text.h"

namespace vostrel::win32 {

class ResultListView {
 public:
  // `listView`: a report-mode list view with LVS_OWNERDATA and its columns.
  explicit ResultListView(HWND listView) : listView_(listView) {}
  ResultListView(const ResultListView&) = delete;
  ResultListView& operator=(const ResultListView&) = delete;

  // Removes every row, collected or shown; the sort stays.
  void Clear();
  // Adds a row below the others when ShowCollected next runs.
  void Collect(TableRow row) { collected_.push_back(std::move(row)); }
  // Hands the collected rows to the list view, in the table's order; selected
  // rows that move stay selected.
  void ShowCollected() { Show(true); }
  // The same, except that rows that would come below the rows in view, and
  // change nothing there, are not yet counted: a new count redraws the list
  // view's scroll bar, which costs as much as painting all the rows in view.
  void ShowCollectedInView() { Show(false); }

  // A click on a column's header: sorts by that column, or the other way on
  // the column already sorted by; the header shows which and which way.
  void SortByColumn(std::size_t column);

  void SelectAll();
  // The selected rows as copied (ResultTable::Lines), in the order shown.
  std::string SelectedLines() const;

  // LVN_GETDISPINFOW: the cell's one-line text (CellText), as UTF-16.
  void FillDisplayInfo(LVITEMW& item);
  // LVN_ODFINDITEMW, for the keys typed in the table: the first row from
  // iStart on (then from the top, with LVFI_WRAP) whose file name starts with
  // the text typed, in any letter case; -1 when none does.
  int FindItem(const NMLVFINDITEMW& find) const;
  // A cell's tooltip: its text, bounded (TipText), when the cell cuts it or
  // it does not fit; otherwise empty.
  std::wstring Tip(int item, int subItem) const;

 private:
  void Show(bool belowView);
  int ItemCount() const;
  bool InView(std::size_t item) const;
  std::vector<std::size_t> SelectedItems() const;
  void ShowSortInHeader() const;

  HWND listView_;
  ResultTable table_;
  std::vector<TableRow> collected_;
  std::wstring cell_;  // the cell last asked for
};

}  // namespace vostrel::win32
