#include "ui/win32/table_tips.h"

#include <windowsx.h>

#include <stdexcept>
#include <utility>

namespace vostrel::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;

}  // namespace

TableTips::TableTips(HWND table, HWND owner, int maxWidth, TipFor tipFor) : table_(table), tipFor_(std::move(tipFor)) {
  // Always: also while the window is not active. No prefix: "&" shows as written.
  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr,
                               nullptr);
  if (tooltip_ == nullptr) throw std::runtime_error("cannot create the table's tooltip");
  TOOLINFOW tool = Tool();
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // A width makes the tooltip break lines: at line breaks and to wrap long ones.
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  if (!::SetWindowSubclass(table_, &TableTips::TableProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    ::DestroyWindow(tooltip_);
    throw std::runtime_error("cannot hook the table");
  }
}

TableTips::~TableTips() {
  if (table_ == nullptr) return;  // gone with its window
  ::RemoveWindowSubclass(table_, &TableTips::TableProcedure, kSubclassId);
  ::DestroyWindow(tooltip_);
}

TOOLINFOW TableTips::Tool() {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = table_;
  tool.uId = kToolId;
  return tool;
}

LRESULT CALLBACK TableTips::TableProcedure(HWND table, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
  auto* const self = reinterpret_cast<TableTips*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      self->Follow(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      self->Relay(message, wParam, lParam);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      self->Relay(message, wParam, lParam);
      break;
    case WM_NOTIFY: {
      auto* const header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == self->tooltip_ && header->code == TTN_GETDISPINFOW) {
        self->FillText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
        return 0;
      }
      break;
    }
    case WM_NCDESTROY:
      // The owner's destruction has taken the tooltip already.
      ::RemoveWindowSubclass(table, &TableTips::TableProcedure, kSubclassId);
      self->table_ = nullptr;
      self->tooltip_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(table, message, wParam, lParam);
}

// The tool covers the cell under the mouse; on another cell the tip in view
// goes, and the tooltip asks for the new cell's text when it next shows.
void TableTips::Follow(POINT point) {
  LVHITTESTINFO hit{};
  hit.pt = point;
  ::SendMessageW(table_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  const int item = hit.iItem;
  const int subItem = item >= 0 ? hit.iSubItem : -1;
  if (item == item_ && subItem == subItem_) return;
  item_ = item;
  subItem_ = subItem;
  ::SendMessageW(tooltip_, TTM_POP, 0, 0);
  TOOLINFOW tool = Tool();
  if (item >= 0) {
    // The first column's bounds are the whole row's; its label is the cell.
    tool.rect.top = subItem;
    tool.rect.left = subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    if (!::SendMessageW(table_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tool.rect)))
      tool.rect = RECT{};
  }
  ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TableTips::Relay(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG relayed{};
  relayed.hwnd = table_;
  relayed.message = message;
  relayed.wParam = wParam;
  relayed.lParam = lParam;
  ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void TableTips::FillText(NMTTDISPINFOW& info) {
  // Called by the system: nothing may be thrown through it.
  try {
    text_ = item_ >= 0 ? tipFor_(item_, subItem_) : std::wstring();
  } catch (...) {
    text_.clear();
  }
  info.hinst = nullptr;
  info.szText[0] = L'\0';
  info.lpszText = text_.data();
}

}  // namespace vostrel::win32
