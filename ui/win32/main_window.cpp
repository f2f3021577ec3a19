#include "main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <stdexcept>
#include <type_traits>

#include "clipboard.h"
#include "program_folder.h"
#include "resource.h"
#include "text_encoding.h"
#include "wide_text.h"

namespace vostrel::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"VostrelMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;

class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  int Caps(int index) const { return dc_ != nullptr ? ::GetDeviceCaps(dc_, index) : 96; }

 private:
  HDC dc_;
};

float LogicalDpi(int index) {
  const int dpi = ScreenDc().Caps(index);
  return static_cast<float>(dpi > 0 ? dpi : 96);
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  if (!::InitCommonControlsEx(&controls)) throw std::runtime_error("cannot load the common controls");
}

HWND CreateControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle) {
  return ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// The list view draws at most this many characters of a cell, and some
// pixels of padding around them.
constexpr std::size_t kListViewDrawnCharacters = 259;
constexpr int kListViewCellPadding = 12;

struct MenuDestroyer {
  void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

bool IsControlDown() { return ::GetKeyState(VK_CONTROL) < 0; }

// Lines on the Windows clipboard end in CR LF. The copied fields hold no line
// breaks of their own (they are escaped), so every LF ends a row.
std::wstring WithCrLf(const std::wstring& lines) {
  std::wstring text;
  text.reserve(lines.size() + lines.size() / 16);
  for (const wchar_t c : lines) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  return text;
}

void SetDefaultGuiFont(HWND control) {
  // A stock object: shared, never deleted.
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, LookupBinding& binding)
    : instance_(instance),
      dpiX_(LogicalDpi(LOGPIXELSX)),
      dpiY_(LogicalDpi(LOGPIXELSY)),
      driver_(*this, binding) {
  InitCommonControls();
  // LoadImage, not LoadIcon, so that each size gets its own picture rather than a stretched one.
  const auto icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VOSTREL), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                    LR_DEFAULTCOLOR | LR_SHARED));
  const auto smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VOSTREL), IMAGE_ICON,
                                                         ::GetSystemMetrics(SM_CXSMICON),
                                                         ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
  RegisterWindowClass(instance, kWindowClass, icon, smallIcon);

  // The design gives the client area; the window is that plus its frame.
  RECT frame{0, 0, layout::TwipsToPixels(layout::kClientWidth, dpiX_),
             layout::TwipsToPixels(layout::kClientHeight, dpiY_)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  const std::wstring caption = Widen(layout::kCaption);
  CreateBound(instance, kWindowClass, caption.c_str(), kWindowStyle, kWindowExStyle, frame.right - frame.left,
              frame.bottom - frame.top);
  Form_Load();
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
  return IsOpen() && ::IsDialogMessageW(hwnd(), &message) != FALSE;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateControls() ? 0 : -1;
    case WM_SIZE:
      // A minimised window keeps its layout for when it is restored.
      if (wParam != SIZE_MINIMIZED) Form_Resize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kScanButtonId && HIWORD(wParam) == BN_CLICKED) cmdScan_Click();
      if (LOWORD(wParam) == kCopyCommandId && HIWORD(wParam) == 0) CopySelectedRows();
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kTableId && header->code == LVN_KEYDOWN)
        lvStats_KeyDown(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
      return 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == lvStats_) {
        lvStats_ContextMenu(lParam);
        return 0;
      }
      break;
    case DM_GETDEFID:
      return 0;  // no default push button: Enter in the folder box does nothing
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd(), focus)) focused_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // The window passes the focus on: to the control that last had it, the
      // Scan button (first in the tab order) when the window opens.
      ::SetFocus(focused_ != nullptr && ::IsWindow(focused_) ? focused_ : cmdScan_);
      return 0;
    case WM_CLOSE:
      // A running scan ends before its next file; the view then finds the window gone.
      driver_.RequestStop();
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      cmdScan_ = sbStatusBar_ = txtTrhDir_ = lvStats_ = focused_ = nullptr;
      rows_.clear();
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

bool MainWindow::CreateControls() {
  // Created in tab order; the status bar takes no focus.
  cmdScan_ = CreateControl(hwnd(), kScanButtonId, L"BUTTON", Widen(layout::kScanCaption).c_str(),
                           WS_TABSTOP | BS_PUSHBUTTON, 0);
  sbStatusBar_ = CreateControl(hwnd(), kStatusBarId, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0);
  txtTrhDir_ = CreateControl(hwnd(), kFolderBoxId, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  lvStats_ = CreateControl(hwnd(), kTableId, WC_LISTVIEWW, L"",
                           WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE);
  if (cmdScan_ == nullptr || sbStatusBar_ == nullptr || txtTrhDir_ == nullptr || lvStats_ == nullptr) return false;

  Place(cmdScan_, layout::kScanButton);
  Place(txtTrhDir_, layout::kFolderBox);
  Place(lvStats_, layout::kTable);
  SetDefaultGuiFont(cmdScan_);
  SetDefaultGuiFont(txtTrhDir_);

  ::SendMessageW(txtTrhDir_, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the control allows

  ::SendMessageW(sbStatusBar_, SB_SIMPLE, TRUE, 0);
  SetStatus(std::string(layout::kReadyStatus));

  tableFont_.reset(::CreateFontW(-::MulDiv(layout::kTableFontPoints, static_cast<int>(dpiY_), 72), 0, 0, 0,
                                 FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                 Widen(layout::kTableFontFamily).c_str()));
  if (tableFont_) ::SendMessageW(lvStats_, WM_SETFONT, reinterpret_cast<WPARAM>(tableFont_.get()), FALSE);
  ::SendMessageW(lvStats_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumns();
  tips_ = std::make_unique<TableTips>(lvStats_, hwnd(), layout::TwipsToPixels(layout::kTable.width, dpiX_),
                                      [this](int item, int subItem) { return CellTip(item, subItem); });
  return true;
}

void MainWindow::AddColumns() {
  int index = 0;
  for (const layout::Column& column : layout::kColumns) {
    std::wstring header = Widen(column.header);
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
                                                    layout::PixelsToTwips(clientHeight, dpiY_));
  Place(cmdScan_, fitted.scanButton);
  Place(txtTrhDir_, fitted.folderBox);
  Place(lvStats_, fitted.table);
  // The status bar docks itself along the bottom edge when told of the new size.
  ::SendMessageW(sbStatusBar_, WM_SIZE, 0, 0);
}

void MainWindow::Place(HWND control, const layout::TwipsRect& rect) const {
  ::SetWindowPos(control, nullptr, layout::TwipsToPixels(rect.left, dpiX_), layout::TwipsToPixels(rect.top, dpiY_),
                 layout::TwipsToPixels(rect.width, dpiX_), layout::TwipsToPixels(rect.height, dpiY_),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::cmdScan_Click() {
  driver_.cmdScan_Click();
  // A quit request met during the scan is passed on now that the scan is over.
  if (quitCode_) {
    ::PostQuitMessage(*quitCode_);
    quitCode_.reset();
  }
}

std::string MainWindow::FolderText() {
  if (txtTrhDir_ == nullptr) return {};
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(txtTrhDir_)) + 1, L'\0');
  const int copied = ::GetWindowTextW(txtTrhDir_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

void MainWindow::ClearRows() {
  if (lvStats_ == nullptr) return;
  ::SendMessageW(lvStats_, LVM_DELETEALLITEMS, 0, 0);
  rows_.clear();
}

int MainWindow::AppendItem(const std::string& text) {
  std::wstring wide = Widen(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(::SendMessageW(lvStats_, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = wide.data();
  const auto index = static_cast<int>(::SendMessageW(lvStats_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) throw std::runtime_error("the table refused a row");
  return index;
}

// Only the bounded line of a text reaches the list view, so that no text of
// any length is converted or drawn; the window keeps the whole texts.
void MainWindow::AddRow(const ScanRow& row) {
  if (lvStats_ == nullptr) return;
  const int index = AppendItem(CellText(row.dllName));
  rows_.push_back({row, false});
  int subItem = 1;
  for (const std::string* text : {&row.mapName, &row.techName, &row.levelDesc}) {
    std::wstring wide = Widen(CellText(*text));
    LVITEMW item{};
    item.iSubItem = subItem++;
    item.pszText = wide.data();
    if (!::SendMessageW(lvStats_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
      throw std::runtime_error("the table refused a text");
  }
}

void MainWindow::AddMessageRow(const std::string& text) {
  if (lvStats_ == nullptr) return;
  AppendItem(CellText(text));
  rows_.push_back({{text, {}, {}, {}}, true});
}

void MainWindow::lvStats_KeyDown(WORD key) {
  if (!IsControlDown()) return;
  if (key == 'C') CopySelectedRows();
  if (key == 'A') {
    LVITEMW selected{};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    ::SendMessageW(lvStats_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&selected));
  }
}

void MainWindow::lvStats_ContextMenu(LPARAM screenPoint) {
  POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  if (at.x == -1 && at.y == -1) {  // from the keyboard: at the table's corner
    at = POINT{0, 0};
    ::ClientToScreen(lvStats_, &at);
  }
  const Menu menu(::CreatePopupMenu());
  if (!menu || !::AppendMenuW(menu.get(), MF_STRING, kCopyCommandId, L"Copy\tCtrl+C")) return;
  // The menu sends its command to the window as WM_COMMAND.
  ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void MainWindow::CopySelectedRows() {
  if (lvStats_ == nullptr) return;
  std::string lines;
  for (auto item = static_cast<int>(::SendMessageW(lvStats_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
       item >= 0;
       item = static_cast<int>(::SendMessageW(lvStats_, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) {
    if (static_cast<std::size_t>(item) < rows_.size()) lines += rows_[static_cast<std::size_t>(item)].Line();
  }
  if (!lines.empty()) PutOnClipboard(hwnd(), WithCrLf(Widen(lines)));
}

std::wstring MainWindow::CellTip(int item, int subItem) const {
  if (lvStats_ == nullptr || item < 0 || subItem < 0 || static_cast<std::size_t>(item) >= rows_.size()) return {};
  const std::string_view text = rows_[static_cast<std::size_t>(item)].Cell(static_cast<std::size_t>(subItem));
  if (text.empty()) return {};
  if (!IsCutInCell(text)) {
    const std::wstring shown = Widen(CellText(text));
    RECT cell{};
    cell.top = subItem;
    cell.left = subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    ::SendMessageW(lvStats_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    const auto width = static_cast<int>(
        ::SendMessageW(lvStats_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(shown.c_str())));
    if (shown.size() <= kListViewDrawnCharacters && width + kListViewCellPadding <= cell.right - cell.left) return {};
  }
  return Widen(TipText(text));
}

void MainWindow::SetStatus(const std::string& text) {
  if (sbStatusBar_ == nullptr) return;
  const std::wstring wide = Widen(text);
  if (!::SendMessageW(sbStatusBar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str())))
    throw std::runtime_error("the status bar refused the text");
}

// A missing library is said in the table, where the texts would be; a folder
// that cannot be listed already shows as one without DLLs.
void MainWindow::ReportProblem(ScanProblem problem, const std::string& text) {
  if (problem == ScanProblem::kLookupUnavailable) AddMessageRow(text);
}

void MainWindow::ProcessPendingEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: the scan stops, and the quit is posted again
      // once the scan has returned (cmdScan_Click).
      quitCode_ = static_cast<int>(message.wParam);
      driver_.RequestStop();
      return;
    }
    if (!PreTranslateMessage(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace vostrel::win32
