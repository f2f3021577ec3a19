#include "ui/win32/result_list_view.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

// The list view draws at most this many characters of a cell, and some
// pixels of padding around them.
constexpr std::size_t kListViewDrawnCharacters = 259;
constexpr int kListViewCellPadding = 12;

// Ctrl+A selects the rows left unselected one by one when they are at most
// one in this many.
constexpr std::size_t kFewRowsOf = 16;

LRESULT Send(HWND window, UINT message, std::size_t wParam, LPARAM lParam = 0) {
  return ::SendMessageW(window, message, static_cast<WPARAM>(wParam), lParam);
}

void SetItemState(HWND listView, int item, UINT state, UINT mask) {
  LVITEMW change{};
  change.stateMask = mask;
  change.state = state;
  ::SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

}  // namespace

int ResultListView::ItemCount() const { return static_cast<int>(::SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0)); }

bool ResultListView::IsMessage(int item) const {
  return item >= 0 && static_cast<std::size_t>(item) < table_.size() && table_.Row(static_cast<std::size_t>(item)).isMessage;
}

RECT ResultListView::MessageRect(int item) const {
  RECT row{};
  row.left = LVIR_BOUNDS;
  ::SendMessageW(listView_, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
  RECT client{};
  ::GetClientRect(listView_, &client);
  row.right = std::max(row.right, client.right);
  return row;
}

void ResultListView::Cleared() {
  ::SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
  selection_.Clear();
}

// An item at or just below the last row in view shows (partly, at least).
bool ResultListView::InView(std::size_t item) const {
  const auto top = ::SendMessageW(listView_, LVM_GETTOPINDEX, 0, 0);
  const auto perPage = ::SendMessageW(listView_, LVM_GETCOUNTPERPAGE, 0, 0);
  return static_cast<LRESULT>(item) <= top + perPage;
}

void ResultListView::Changed(const TableChange& change) {
  const auto shown = static_cast<std::size_t>(ItemCount());
  // Until the count takes them in, the list view shows the first rows of the
  // table, as many as it counts; rows past them come in with the count.
  bool count = table_.size() != shown && (change.countRowsBelowView || InView(shown) || table_.size() < shown);
  if (change.moved.empty()) {
    // Rows below the others: only those in view need painting.
    if (count) {
      Send(listView_, LVM_SETITEMCOUNT, table_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
      SelectCounted(shown);
    }
    return;
  }
  // The list view keeps the selection, the focus and the anchor of a
  // Shift+click by index: they move with their rows. The focus and the
  // anchor must be counted. The selection moves as the window keeps it, and
  // the list view is told only of the rows it counts whose state changes: a
  // batch of rows added above a thousand rows selected changes the state of
  // about twice the batch, and selected rows pushed past the count wait for
  // it (a new count redraws the scroll bar).
  CheckSelection();
  TableSelection listed = selection_;
  listed.Truncate(shown);
  TableSelection selected = selection_.Moved(change.moved);
  const auto focused = static_cast<int>(::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  const auto mark = static_cast<int>(::SendMessageW(listView_, LVM_GETSELECTIONMARK, 0, 0));
  const std::vector<std::size_t>& moved = change.moved;
  const auto movedTo = [&moved](int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= moved.size()) return -1;
    const std::size_t to = moved[static_cast<std::size_t>(item)];
    return to == ResultTable::kGone ? -1 : static_cast<int>(to);
  };
  const auto uncounted = [shown](int item) { return item >= 0 && static_cast<std::size_t>(item) >= shown; };
  count = count || uncounted(movedTo(focused)) || uncounted(movedTo(mark));
  if (count) Send(listView_, LVM_SETITEMCOUNT, table_.size(), LVSICF_NOSCROLL);
  const std::size_t counted = count ? table_.size() : shown;
  listed.Truncate(counted);  // the list view drops the rows past a smaller count
  TableSelection countedSelected = selected;
  countedSelected.Truncate(counted);
  listed.ForEachDifference(countedSelected, [this](std::size_t item, bool select) {
    SetItemState(listView_, static_cast<int>(item), select ? LVIS_SELECTED : 0, LVIS_SELECTED);
  });
  selection_ = std::move(selected);
  // A row that no longer shows (filtered out, or its file gone) takes the
  // focus and the anchor with it, rather than leave them on the row that
  // comes to its index.
  if (focused >= 0) {
    if (movedTo(focused) >= 0) {
      SetItemState(listView_, movedTo(focused), LVIS_FOCUSED, LVIS_FOCUSED);
    } else if (static_cast<std::size_t>(focused) < table_.size()) {
      SetItemState(listView_, focused, 0, LVIS_FOCUSED);
    }
  }
  if (mark >= 0) Send(listView_, LVM_SETSELECTIONMARK, 0, movedTo(mark));
  ::InvalidateRect(listView_, nullptr, FALSE);
}

void ResultListView::ShowSortInHeader() const {
  const auto header = reinterpret_cast<HWND>(::SendMessageW(listView_, LVM_GETHEADER, 0, 0));
  const auto columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int column = 0; column < columns; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    const auto& sort = table_.sort();
    if (sort && sort->column == static_cast<std::size_t>(column))
      item.fmt |= sort->order == SortOrder::kAscending ? HDF_SORTUP : HDF_SORTDOWN;
    ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  }
}

// The list view selects all by setting each row in turn: with a few rows
// left to select (Ctrl+A again once a scan has added some), those are
// selected one by one instead, so that Ctrl+A held down during a scan costs
// in proportion to the rows added rather than to every row.
void ResultListView::SelectAll() {
  CheckSelection();
  const auto items = static_cast<std::size_t>(ItemCount());
  TableSelection listed = selection_;
  listed.Truncate(items);
  if ((items - listed.count()) * kFewRowsOf > items) {
    SetItemState(listView_, -1, LVIS_SELECTED, LVIS_SELECTED);
    return;
  }
  TableSelection all;
  all.Set(0, items, true);
  listed.ForEachDifference(all, [this](std::size_t item, bool) {
    SetItemState(listView_, static_cast<int>(item), LVIS_SELECTED, LVIS_SELECTED);
  });
}

// The rows kept selected past the list view's count that a new count,
// starting at `from`, has taken in.
void ResultListView::SelectCounted(std::size_t from) {
  for (const std::size_t item : selection_.Items(from, static_cast<std::size_t>(ItemCount())))
    SetItemState(listView_, static_cast<int>(item), LVIS_SELECTED, LVIS_SELECTED);
}

// iItem -1: every item, as LVM_SETITEMSTATE on -1 (Ctrl+A) or a click that
// deselects all the others gives it.
void ResultListView::ItemChanged(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE)) return;
  const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
  if (change.iItem >= 0) {
    const auto item = static_cast<std::size_t>(change.iItem);
    selection_.Set(item, item + 1, selected);
  } else if (selected) {
    selection_.Set(0, static_cast<std::size_t>(ItemCount()), true);
  } else if (change.uOldState & LVIS_SELECTED) {
    selection_.Clear();
  }
}

// A Shift+click's range, iFrom to iTo.
void ResultListView::ItemsChanged(const NMLVODSTATECHANGE& change) {
  if (change.iFrom < 0 || change.iTo < change.iFrom) return;
  if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) == 0) return;
  selection_.Set(static_cast<std::size_t>(change.iFrom), static_cast<std::size_t>(change.iTo) + 1,
                 (change.uNewState & LVIS_SELECTED) != 0);
}

// Not every change of the selection comes with a notice the window can
// follow (the list view drops the rows past a smaller count unannounced, and
// a Shift+click may tell of the range it selects and not of the rows it
// deselects): the selection kept is checked against the list view's count
// and first selected row, and read again from the list view when they differ.
void ResultListView::CheckSelection() {
  const auto items = static_cast<std::size_t>(ItemCount());
  const std::size_t kept = selection_.count() - selection_.CountFrom(items);  // those the list view counts
  const auto count = static_cast<std::size_t>(::SendMessageW(listView_, LVM_GETSELECTEDCOUNT, 0, 0));
  if (count == 0 && kept == 0) return;  // no row to look for: the list view would look at each
  const auto first = static_cast<int>(::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (count == kept && first >= 0 && selection_.First() == static_cast<std::size_t>(first)) return;
  selection_.Clear();
  for (const std::size_t item : SelectedItems()) selection_.Set(item, item + 1, true);
}

std::vector<std::size_t> ResultListView::SelectedItems() const {
  std::vector<std::size_t> items;
  for (auto item = static_cast<int>(::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
       item >= 0;
       item = static_cast<int>(::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) {
    items.push_back(static_cast<std::size_t>(item));
  }
  return items;
}

// With the rows selected past the list view's count, which it shows once it counts them.
std::vector<std::size_t> ResultListView::SelectedRows() {
  std::vector<std::size_t> items = SelectedItems();
  const std::vector<std::size_t> uncounted = selection_.Items(static_cast<std::size_t>(ItemCount()), table_.size());
  items.insert(items.end(), uncounted.begin(), uncounted.end());
  return items;
}

void ResultListView::FillDisplayInfo(LVITEMW& item) {
  if (!(item.mask & LVIF_TEXT)) return;
  cell_.clear();
  if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < table_.size() && item.iSubItem >= 0)
    cell_ = Widen(CellText(table_.Row(static_cast<std::size_t>(item.iItem)).Cell(static_cast<std::size_t>(item.iSubItem))));
  if (item.pszText == nullptr || item.cchTextMax <= 0) {
    item.pszText = cell_.data();
    return;
  }
  // Copied into the list view's buffer: a text handed by address would have
  // to stay unchanged over the next two requests.
  const std::size_t length = std::min(cell_.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  std::copy_n(cell_.data(), length, item.pszText);
  item.pszText[length] = L'\0';
}

int ResultListView::FindItem(const NMLVFINDITEMW& find) const {
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.lvfi.psz == nullptr) return -1;
  const std::wstring_view typed = find.lvfi.psz;
  const auto count = std::min(static_cast<std::size_t>(ItemCount()), table_.size());
  const std::size_t start = find.iStart >= 0 && static_cast<std::size_t>(find.iStart) < count ? static_cast<std::size_t>(find.iStart) : 0;
  const std::size_t tries = (find.lvfi.flags & LVFI_WRAP) ? count : count - start;
  for (std::size_t i = 0; i < tries; ++i) {
    const std::size_t item = (start + i) % count;
    const std::wstring name = Widen(table_.Row(item).Cell(0));
    const bool match = (find.lvfi.flags & LVFI_PARTIAL) ? name.size() >= typed.size() : name.size() == typed.size();
    if (match && ::CompareStringOrdinal(name.data(), static_cast<int>(typed.size()), typed.data(),
                                        static_cast<int>(typed.size()), TRUE) == CSTR_EQUAL)
      return static_cast<int>(item);
  }
  return -1;
}

std::wstring ResultListView::Tip(int item, int subItem) const {
  if (item < 0 || subItem < 0 || static_cast<std::size_t>(item) >= table_.size()) return {};
  const std::string_view text = table_.Row(static_cast<std::size_t>(item)).Cell(static_cast<std::size_t>(subItem));
  if (text.empty()) return {};
  if (!IsCutInCell(text)) {
    const std::wstring shown = Widen(CellText(text));
    RECT cell{};
    cell.top = subItem;
    cell.left = subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    ::SendMessageW(listView_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    if (IsMessage(item)) cell = MessageRect(item);
    const auto width = static_cast<int>(
        ::SendMessageW(listView_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(shown.c_str())));
    if (shown.size() <= kListViewDrawnCharacters && width + kListViewCellPadding <= cell.right - cell.left) return {};
  }
  return Widen(TipText(text));
}

LRESULT ResultListView::CustomDraw(const NMLVCUSTOMDRAW& draw) const {
  const NMCUSTOMDRAW& paint = draw.nmcd;
  if (paint.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  const auto item = static_cast<int>(paint.dwItemSpec);
  if (paint.dwDrawStage != CDDS_ITEMPREPAINT || !IsMessage(item)) return CDRF_DODEFAULT;

  // The colours the list view gives a row of its own: selected in the
  // table with the focus, selected elsewhere (LVS_SHOWSELALWAYS), or not.
  const auto state = static_cast<UINT>(
      ::SendMessageW(listView_, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED | LVIS_FOCUSED));
  const bool focus = ::GetFocus() == listView_;
  const bool selected = (state & LVIS_SELECTED) != 0;
  const int background = selected ? (focus ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
  const int foreground = selected && focus ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
  const RECT row = MessageRect(item);
  ::FillRect(paint.hdc, &row, ::GetSysColorBrush(background));

  RECT label{};
  label.left = LVIR_LABEL;
  ::SendMessageW(listView_, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&label));
  RECT text = row;
  text.left = label.left + kListViewCellPadding / 2;
  text.right -= kListViewCellPadding / 2;
  const std::wstring shown = Widen(CellText(table_.Row(static_cast<std::size_t>(item)).Cell(0)));
  const int mode = ::SetBkMode(paint.hdc, TRANSPARENT);
  const COLORREF colour = ::SetTextColor(paint.hdc, ::GetSysColor(foreground));
  ::DrawTextW(paint.hdc, shown.c_str(), static_cast<int>(shown.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SetTextColor(paint.hdc, colour);
  ::SetBkMode(paint.hdc, mode);
  if (focus && (state & LVIS_FOCUSED) != 0) ::DrawFocusRect(paint.hdc, &row);
  return CDRF_SKIPDEFAULT;
}

}  // namespace vostrel::win32
