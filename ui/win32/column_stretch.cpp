#include "ui/win32/column_stretch.h"

#include <stdexcept>

#include "ui/core/window_layout.h"

namespace vostrel::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

HWND HeaderOf(HWND listView) { return reinterpret_cast<HWND>(::SendMessageW(listView, LVM_GETHEADER, 0, 0)); }

int ColumnWidth(HWND listView, int column) {
  return static_cast<int>(::SendMessageW(listView, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

}  // namespace

ColumnStretch::ColumnStretch(HWND listView) : listView_(listView), ownWidth_(ColumnWidth(listView, LastColumn())) {
  if (!::SetWindowSubclass(listView_, &ColumnStretch::ListViewProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    throw std::runtime_error("cannot hook the table's columns");
  }
}

ColumnStretch::~ColumnStretch() {
  if (listView_ != nullptr) ::RemoveWindowSubclass(listView_, &ColumnStretch::ListViewProcedure, kSubclassId);
}

int ColumnStretch::LastColumn() const {
  return static_cast<int>(::SendMessageW(HeaderOf(listView_), HDM_GETITEMCOUNT, 0, 0)) - 1;
}

LRESULT CALLBACK ColumnStretch::ListViewProcedure(HWND listView, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR data) {
  auto* const self = reinterpret_cast<ColumnStretch*>(data);
  switch (message) {
    case WM_SIZE: {
      // Also when a scroll bar comes or goes: the client area changes with it.
      const LRESULT result = ::DefSubclassProc(listView, message, wParam, lParam);
      self->Fit();
      return result;
    }
    case WM_NOTIFY: {
      // The header tells the list view of each column's new width, the user's
      // drag or the list view's own setting alike.
      const auto* const notice = reinterpret_cast<const NMHDR*>(lParam);
      if (notice->hwndFrom != HeaderOf(listView) || (notice->code != HDN_ITEMCHANGEDW && notice->code != HDN_ITEMCHANGEDA)) {
        break;
      }
      const LRESULT result = ::DefSubclassProc(listView, message, wParam, lParam);
      self->ColumnChanged(*reinterpret_cast<const NMHEADERW*>(lParam));
      return result;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(listView, &ColumnStretch::ListViewProcedure, kSubclassId);
      self->listView_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(listView, message, wParam, lParam);
}

void ColumnStretch::ColumnChanged(const NMHEADERW& change) {
  if (fitting_ || change.pitem == nullptr || (change.pitem->mask & HDI_WIDTH) == 0) return;
  // The user's width for the last column; another column's leaves it more or less room.
  if (change.iItem == LastColumn()) ownWidth_ = change.pitem->cxy;
  Fit();
}

void ColumnStretch::Fit() {
  const int last = LastColumn();
  if (last < 0) return;
  int others = 0;
  for (int column = 0; column < last; ++column) others += ColumnWidth(listView_, column);
  RECT client{};
  ::GetClientRect(listView_, &client);
  const int width = layout::LastColumnWidth(client.right - client.left, others, ownWidth_);
  if (width == ColumnWidth(listView_, last)) return;
  fitting_ = true;
  ::SendMessageW(listView_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(last), MAKELPARAM(width, 0));
  fitting_ = false;
}

}  // namespace vostrel::win32
