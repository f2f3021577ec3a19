#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include "handle/unique_handle.h"
#include "i18n/translation.h"
#include "scanner/program_folder.h"
#include "scanner/text_encoding.h"
#include "ui/win32/child_control.h"
#include "ui/win32/clipboard.h"
#include "ui/win32/folder_path.h"
#include "ui/win32/program_icon.h"
#include "ui/win32/screen_dpi.h"
#include "ui/win32/status_parts.h"
#include "ui/win32/table_context_menu.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"VostrelMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;

// During a scan the window shows what the scan found at most every 40 ms.
// Rows that come below the rows in view are counted in every 500 ms: each
// new count redraws the scroll bar, which costs Wine as much as painting the
// rows in view.
constexpr FramePacing kScanPacing{std::chrono::milliseconds(40), std::chrono::milliseconds(500)};

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  if (!::InitCommonControlsEx(&controls)) throw std::runtime_error("cannot load the common controls");
}

using Drop = handle::UniqueHandle<handle::NullInvalid<HDROP, ::DragFinish>>;

bool IsControlDown() { return ::GetKeyState(VK_CONTROL) < 0; }

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::shared_ptr<LookupBinding> binding, std::wstring_view startFolder)
    : instance_(instance),
      dpiX_(ScreenDpi(LOGPIXELSX)),
      dpiY_(ScreenDpi(LOGPIXELSY)),
      loop_(instance),
      session_(loop_, *this, std::move(binding), kScanPacing) {
  InitCommonControls();
  ACCEL filterKey{FCONTROL | FVIRTKEY, 'F', kFilterCommandId};
  accelerators_.reset(::CreateAcceleratorTableW(&filterKey, 1));
  RegisterWindowClass(instance, kWindowClass, ProgramIcon(instance, IconSize::kLarge),
                      ProgramIcon(instance, IconSize::kSmall));

  // The design gives the client area; the window is that plus its frame.
  RECT frame{0, 0, layout::TwipsToPixels(layout::kClientWidth, dpiX_),
             layout::TwipsToPixels(layout::kClientHeight, dpiY_)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  const std::wstring caption = Widen(layout::kCaption);
  CreateBound(instance, kWindowClass, caption.c_str(), kWindowStyle, kWindowExStyle, frame.right - frame.left,
              frame.bottom - frame.top);
  Form_Load();
  if (!startFolder.empty()) {
    ::SetWindowTextW(txtTrhDir_, FolderToScan(startFolder).c_str());
    session_.ScanFolderBoxSoon();
  }
}

MainWindow::~MainWindow() {
  // Destroyed while this object is whole, so that the controls go before their font.
  if (IsOpen()) ::DestroyWindow(hwnd());
}

void MainWindow::Show(int showCommand) {
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
}

bool MainWindow::PreTranslateMessage(MSG& message) {
  if (!IsOpen()) return false;
  for (const auto& window : details_) {
    if (window->PreTranslateMessage(message)) return true;
  }
  const bool ours = message.hwnd == hwnd() || ::IsChild(hwnd(), message.hwnd);
  if (ours && accelerators_ && ::TranslateAcceleratorW(hwnd(), accelerators_.get(), &message)) return true;
  return ::IsDialogMessageW(hwnd(), &message) != FALSE;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateControls() ? 0 : -1;
    case WM_SIZE:
      // A minimised window keeps its layout for when it is restored.
      if (wParam != SIZE_MINIMIZED) Form_Resize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == kScanButtonId && code == BN_CLICKED) {
        cmdScan_Click();
      } else if (id == IDCANCEL) {
        // Esc, from the dialog keys: in the filter box it clears and hides
        // the box; elsewhere the running scan ends before its next file.
        if (filterShown_ && ::GetFocus() == txtFilter_) {
          HideFilterBox();
        } else {
          session_.Stop();
        }
      } else if (id == IDOK) {
        // Enter, from the dialog keys: in the table, the details of its row in focus.
        if (::GetFocus() == lvStats_) OpenDetails(FocusedMission());
      } else if (id == kFilterBoxId && code == EN_CHANGE) {
        txtFilter_Change();
      } else if (id == kFilterCommandId) {  // the menu, or Ctrl+F
        ShowFilterBox();
      } else if (id == kDetailsCommandId && code == 0) {
        OpenDetails(FocusedMission());
      } else if (id == kCopyCommandId && code == 0) {
        CopySelectedRows();
      } else if (const auto codePage = ChosenCodePage(id); codePage && code == 0) {
        ChooseCodePage(*codePage);
      }
      return 0;
    }
    case WM_NOTIFY: {
      auto* const header = reinterpret_cast<NMHDR*>(lParam);
      return header->idFrom == kTableId ? lvStats_Notify(*header) : 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == lvStats_) {
        lvStats_ContextMenu(lParam);
        return 0;
      }
      break;
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case DM_GETDEFID:
      return 0;  // no default push button: Enter in the folder box does nothing
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) RememberFocus();
      break;
    case WM_SETFOCUS:
      // The window passes the focus on: to the control that last had it, the
      // Scan button (first in the tab order) when the window opens.
      RestoreFocus(cmdScan_);
      return 0;
    case WM_CLOSE:
      // A running scan stops at once; its thread, which may wait for a read
      // that hangs, is not waited for.
      session_.Close();
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      // The details windows, owned by this one, go with it.
      cmdScan_ = sbStatusBar_ = txtTrhDir_ = lvStats_ = txtFilter_ = nullptr;
      table_.reset();
      details_.clear();
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

bool MainWindow::CreateControls() {
  // Created in tab order; the status bar takes no focus.
  cmdScan_ = CreateControl(hwnd(), kScanButtonId, L"BUTTON", Widen(Translated(layout::kScanCaption)).c_str(),
                           WS_TABSTOP | BS_PUSHBUTTON, 0);
  sbStatusBar_ = CreateControl(hwnd(), kStatusBarId, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0);
  txtTrhDir_ = CreateControl(hwnd(), kFolderBoxId, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  // Owner data: the list view holds no texts; it asks for each cell it draws.
  lvStats_ = CreateControl(hwnd(), kTableId, WC_LISTVIEWW, L"",
                           WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, WS_EX_CLIENTEDGE);
  // Hidden until asked for: the window opens with the four controls designed.
  txtFilter_ = CreateControl(hwnd(), kFilterBoxId, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  if (cmdScan_ == nullptr || sbStatusBar_ == nullptr || txtTrhDir_ == nullptr || lvStats_ == nullptr ||
      txtFilter_ == nullptr)
    return false;
  ::ShowWindow(txtFilter_, SW_HIDE);

  Place(cmdScan_, layout::kScanButton);
  Place(txtTrhDir_, layout::kFolderBox);
  Place(lvStats_, layout::kTable);
  SetDefaultGuiFont(cmdScan_);
  SetDefaultGuiFont(txtTrhDir_);
  SetDefaultGuiFont(txtFilter_);

  ::SendMessageW(txtTrhDir_, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the control allows
  // Folder names complete as they are typed. Without it (no shell objects)
  // the box is a plain box.
  ::SHAutoComplete(txtTrhDir_, SHACF_FILESYS_DIRS);
  ::DragAcceptFiles(hwnd(), TRUE);

  ShowStatus(Translated(layout::kReadyStatus));

  tableFont_.reset(::CreateFontW(-::MulDiv(layout::kTableFontPoints, static_cast<int>(dpiY_), 72), 0, 0, 0,
                                 FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                 Widen(layout::kTableFontFamily).c_str()));
  if (tableFont_) ::SendMessageW(lvStats_, WM_SETFONT, reinterpret_cast<WPARAM>(tableFont_.get()), FALSE);
  ::SendMessageW(lvStats_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumns();
  columnStretch_ = std::make_unique<ColumnStretch>(lvStats_);  // the last column takes the rest of a wider window
  table_ = std::make_unique<ResultListView>(lvStats_, session_.table());
  tips_ = std::make_unique<TableTips>(lvStats_, hwnd(), layout::TwipsToPixels(layout::kTable.width, dpiX_),
                                      [this](int item, int subItem) {
                                        return table_ ? table_->Tip(item, subItem) : std::wstring();
                                      });
  return true;
}

void MainWindow::AddColumns() {
  int index = 0;
  for (const layout::Column& column : layout::kColumns) {
    std::wstring header = Widen(Translated(column.header));
    LVCOLUMNW lvColumn{};
    lvColumn.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvColumn.cx = layout::TwipsToPixels(static_cast<float>(column.widthTwips), dpiX_);
    lvColumn.pszText = header.data();
    lvColumn.iSubItem = index;
    ::SendMessageW(lvStats_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvColumn));
    ++index;
  }
}

void MainWindow::Form_Load() { ::SetWindowTextW(txtTrhDir_, Widen(NativeToUtf8(ProgramFolder())).c_str()); }

void MainWindow::Form_Resize(int clientWidth, int clientHeight) {
  if (cmdScan_ == nullptr) return;  // before the controls exist
  // The height includes the strip the status bar covers.
  const layout::Layout fitted = layout::FitToClient(layout::PixelsToTwips(clientWidth, dpiX_),
                                                    layout::PixelsToTwips(clientHeight, dpiY_), filterShown_);
  Place(cmdScan_, fitted.scanButton);
  Place(txtTrhDir_, fitted.folderBox);
  Place(lvStats_, fitted.table);
  if (filterShown_) Place(txtFilter_, fitted.filterBox);
  // The status bar docks itself along the bottom edge when told of the new
  // size; its right-hand part says whether the table follows its folder.
  ::SendMessageW(sbStatusBar_, WM_SIZE, 0, 0);
  FitStatusParts(sbStatusBar_);
}

void MainWindow::FitControls() {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  Form_Resize(client.right, client.bottom);
}

void MainWindow::Place(HWND control, const layout::TwipsRect& rect) const { PlaceInTwips(control, rect, dpiX_, dpiY_); }

void MainWindow::cmdScan_Click() { session_.Scan(); }

std::string MainWindow::FolderText() { return txtTrhDir_ != nullptr ? Narrow(ControlText(txtTrhDir_)) : std::string(); }

void MainWindow::TableCleared() {
  if (table_) table_->Cleared();
}

void MainWindow::TableChanged(const TableChange& change) {
  if (table_) table_->Changed(change);
}

void MainWindow::ShowStatus(const std::string& text) {
  if (sbStatusBar_ == nullptr) return;
  const std::wstring wide = Widen(text);
  ::SendMessageW(sbStatusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void MainWindow::ShowFollowing(const std::string& text) {
  if (sbStatusBar_ != nullptr) ShowRightPart(sbStatusBar_, Widen(text));
}

LRESULT MainWindow::lvStats_Notify(NMHDR& header) {
  if (!table_) return 0;  // the window is being destroyed
  switch (header.code) {
    case LVN_ODFINDITEMW:
      return table_->FindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
    case LVN_GETDISPINFOW:
      table_->FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
      break;
    case LVN_ITEMCHANGED:
      table_->ItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
      break;
    case LVN_ODSTATECHANGED:
      table_->ItemsChanged(reinterpret_cast<const NMLVODSTATECHANGE&>(header));
      break;
    case LVN_COLUMNCLICK:
      session_.SortByColumn(static_cast<std::size_t>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
      table_->ShowSortInHeader();
      break;
    case LVN_KEYDOWN:
      lvStats_KeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
      break;
    case NM_CUSTOMDRAW:
      return table_->CustomDraw(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMACTIVATE:  // a double-click; Enter where no dialog keys take it
      OpenDetails(MissionRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem));
      break;
    default:
      break;
  }
  return 0;
}

void MainWindow::lvStats_KeyDown(WORD key) {
  if (!IsControlDown() || !table_) return;
  if (key == 'C') CopySelectedRows();
  if (key == 'A') table_->SelectAll();
}

void MainWindow::lvStats_ContextMenu(LPARAM screenPoint) {
  POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  if (at.x == -1 && at.y == -1) {  // from the keyboard: at the table's corner
    at = POINT{0, 0};
    ::ClientToScreen(lvStats_, &at);
  }
  const Menu menu = NewTableMenu(session_.codePage(), FocusedMission().has_value());
  if (!menu) return;
  // The menu sends its command to the window as WM_COMMAND.
  ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void MainWindow::CopySelectedRows() {
  if (!table_) return;
  // Rows kept cut are read again off the window's thread: such a copy
  // lands a moment later.
  session_.CopyRows(table_->SelectedRows(), [this](const std::string& lines) {
    if (!lines.empty() && IsOpen()) PutOnClipboard(hwnd(), WithCrLf(Widen(lines)));
  });
}

// The table's texts are read again in the code page chosen: the last folder
// is scanned again, once a running scan has stopped. One this system cannot
// decode changes nothing but the status, which says why.
void MainWindow::ChooseCodePage(CodePage codePage) { session_.ChooseCodePage(codePage); }

// A dropped folder, or the folder of a dropped file (the first, if several),
// goes into the folder box and is scanned; a running scan stops first.
void MainWindow::DropFiles(HDROP dropped) {
  std::wstring path;
  {
    const Drop drop(dropped);
    if (::DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0) == 0) return;
    const UINT length = ::DragQueryFileW(drop.get(), 0, nullptr, 0);
    path.resize(length + 1);
    path.resize(::DragQueryFileW(drop.get(), 0, path.data(), length + 1));
  }
  if (path.empty() || txtTrhDir_ == nullptr) return;
  ::SetWindowTextW(txtTrhDir_, FolderToScan(path).c_str());
  session_.ScanFolderBoxSoon();
}

// The filter box along the bottom of the table, the table giving up its
// height, with the focus; shown again, its text selected for typing over.
void MainWindow::ShowFilterBox() {
  if (txtFilter_ == nullptr) return;
  if (!filterShown_) {
    filterShown_ = true;
    FitControls();
    ::ShowWindow(txtFilter_, SW_SHOW);
  }
  ::SetFocus(txtFilter_);
  ::SendMessageW(txtFilter_, EM_SETSEL, 0, -1);
}

// Emptied (every row shows again) and hidden; the table takes its height
// back, and the focus.
void MainWindow::HideFilterBox() {
  if (!filterShown_) return;
  ::SetWindowTextW(txtFilter_, L"");
  ::SetFocus(lvStats_);
  ::ShowWindow(txtFilter_, SW_HIDE);
  filterShown_ = false;
  FitControls();
}

void MainWindow::txtFilter_Change() { session_.Filter(Narrow(ControlText(txtFilter_))); }

std::optional<std::size_t> MainWindow::MissionRow(int item) const {
  if (item < 0 || static_cast<std::size_t>(item) >= session_.table().size()) return std::nullopt;
  const auto row = static_cast<std::size_t>(item);
  if (session_.table().Row(row).isMessage) return std::nullopt;
  return row;
}

std::optional<std::size_t> MainWindow::FocusedMission() const {
  if (lvStats_ == nullptr) return std::nullopt;
  return MissionRow(static_cast<int>(::SendMessageW(lvStats_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

// A window of its own for the mission, read again from its file off the
// window's thread, opened once read; those closed since the last one opened
// are let go.
void MainWindow::OpenDetails(std::optional<std::size_t> row) {
  if (!row || !IsOpen()) return;
  session_.ReadDetails(*row, [this](const MissionDetails& read) {
    if (!IsOpen()) return;
    std::erase_if(details_, [](const auto& window) { return !window->IsOpen(); });
    details_.push_back(std::make_unique<DetailsWindow>(instance_, hwnd(), read, dpiX_, dpiY_));
  });
}

}  // namespace vostrel::win32
