// frmMain as a real window: its controls, layout, keys and scans.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "handle/unique_handle.h"
#include "i18n/translation.h"
#include "scanner/code_pages.h"
#include "scanner/dll_listing.h"
#include "scanner/lookup_binding.h"
#include "scanner/program_folder.h"
#include "scanner/text_encoding.h"
#include "ui/core/table_menu.h"
#include "ui/core/table_text.h"
#include "ui/core/tests/mission_writer.h"
#include "ui/core/tests/sort_cases.h"
#include "ui/core/window_arguments.h"
#include "ui/core/window_layout.h"
#include "ui/win32/main_window.h"
#include "ui/win32/tests/win32_test_support.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

using testing::CopyTo;
using testing::DrainMessages;
using testing::TempFolder;
using testing::TestDll;

std::string WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

// A control's rectangle in its parent's client coordinates.
RECT ChildRect(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The clipboard's text, as UTF-8.
std::string ClipboardText();

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : frmMain_(::GetModuleHandleW(nullptr), binding_) {}
  ~MainWindowTest() override {
    if (frmMain_.IsOpen()) ::DestroyWindow(frmMain_.hwnd());
    DrainMessages();
  }

  HWND Control(int id) const { return ::GetDlgItem(frmMain_.hwnd(), id); }
  // The table's context menu as it opens (then closed again).
  struct ShownMenu OpenTableMenu();
  HWND cmdScan() const { return Control(kScanButtonId); }
  HWND sbStatusBar() const { return Control(kStatusBarId); }
  HWND txtTrhDir() const { return Control(kFolderBoxId); }
  HWND lvStats() const { return Control(kTableId); }

  // The status bar's part 0: the status; part 1: whether the table follows its folder.
  std::string Status(WPARAM part = 0) const {
    const HWND bar = sbStatusBar();
    const auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return Narrow(text);
  }

  std::string CellText(int item, int subItem) const {
    std::wstring text(2 * kCellCharacters + 16, L'\0');
    LVITEMW lvItem{};
    lvItem.iSubItem = subItem;
    lvItem.pszText = text.data();
    lvItem.cchTextMax = static_cast<int>(text.size());
    const auto length = ::SendMessageW(lvStats(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                       reinterpret_cast<LPARAM>(&lvItem));
    text.resize(static_cast<std::size_t>(length));
    return Narrow(text);
  }

  std::vector<ScanRow> Rows() const {
    std::vector<ScanRow> rows;
    const auto count = static_cast<int>(::SendMessageW(lvStats(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) rows.push_back({CellText(i, 0), CellText(i, 1), CellText(i, 2), CellText(i, 3)});
    return rows;
  }

  std::vector<ScanRow> SortedRows() const {
    auto rows = Rows();
    std::sort(rows.begin(), rows.end(), [](const ScanRow& a, const ScanRow& b) { return a.dllName < b.dllName; });
    return rows;
  }

  // The tooltip a user gets on a cell: the mouse comes to rest on it. Empty
  // when none shows. Before it shows, the tooltip asks the table for the
  // cell's text (TTN_GETDISPINFO, watched on its way in): an empty answer
  // shows none.
  std::string TipOn(int item, int subItem) {
    TipRequest request{frmMain_.hwnd(), false, {}};
    ::SetWindowSubclass(lvStats(), &WatchTipRequests, kTipWatchId, reinterpret_cast<DWORD_PTR>(&request));
    RECT cell{};
    cell.top = subItem;
    cell.left = subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    ::SendMessageW(lvStats(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    const POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    POINT onScreen = at;
    ::ClientToScreen(lvStats(), &onScreen);
    ::SetCursorPos(onScreen.x, onScreen.y);  // where the tooltip looks for the mouse before it shows
    ::SendMessageW(lvStats(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    const bool asked = testing::WaitUntil([&] { return request.answered; });
    ::RemoveWindowSubclass(lvStats(), &WatchTipRequests, kTipWatchId);
    if (!asked) return "(the tooltip never asked for its text)";
    if (request.text.empty()) return {};
    HWND tip = nullptr;
    testing::WaitUntil([&] { return (tip = ShownTooltip()) != nullptr; });
    return tip != nullptr ? WindowText(tip) : "(the tooltip did not show " + request.text + ")";
  }

  struct TipRequest {
    HWND owner;  // of the table's tooltip: the table's own ones are others
    bool answered = false;
    std::string text;
  };
  static constexpr UINT_PTR kTipWatchId = 0x71b;

  // A subclass of the table, called before the window's own: what the table
  // answers its tooltip.
  static LRESULT CALLBACK WatchTipRequests(HWND table, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    const LRESULT result = ::DefSubclassProc(table, message, wParam, lParam);
    const auto* const header = reinterpret_cast<const NMHDR*>(lParam);
    auto& request = *reinterpret_cast<TipRequest*>(data);
    if (message == WM_NOTIFY && header->code == TTN_GETDISPINFOW &&
        ::GetWindow(header->hwndFrom, GW_OWNER) == request.owner) {
      const auto& info = *reinterpret_cast<const NMTTDISPINFOW*>(lParam);
      request.text = info.lpszText != nullptr ? Narrow(info.lpszText) : Narrow(info.szText);
      request.answered = true;
    }
    return result;
  }

  static HWND ShownTooltip() {
    HWND shown = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), KeepIfShownTooltip, reinterpret_cast<LPARAM>(&shown));
    return shown;
  }

  // A window enumeration callback: CALLBACK (__stdcall on 32-bit), which a
  // lambda's conversion to a function pointer cannot give.
  static BOOL CALLBACK KeepIfShownTooltip(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring_view(name) != TOOLTIPS_CLASSW || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }

  void SetFolder(const std::string& utf8) { ::SetWindowTextW(txtTrhDir(), Widen(utf8).c_str()); }
  // A click on Scan; then, unless `wait` is false, the messages run until
  // the scan has shown all it found.
  void ClickScan(bool wait = true) {
    ::SendMessageW(cmdScan(), BM_CLICK, 0, 0);
    if (wait) {
      EXPECT_TRUE(testing::WaitUntil([this] { return !frmMain_.scanning(); }));
    }
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ScanRow& row : Rows()) names.push_back(row.dllName);
    return names;
  }

  std::set<std::string> SelectedNames() const {
    std::set<std::string> names;
    for (int item = -1; (item = static_cast<int>(::SendMessageW(lvStats(), LVM_GETNEXTITEM, static_cast<WPARAM>(item),
                                                                   LVNI_SELECTED))) >= 0;) {
      names.insert(CellText(item, 0));
    }
    return names;
  }

  void Select(int item) {
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED;
    ::SendMessageW(lvStats(), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  }

  // A click on a row's name, as the mouse gives it, with Shift held or not.
  void ClickRow(int item, bool shift = false) {
    RECT name{};
    name.left = LVIR_LABEL;
    ::SendMessageW(lvStats(), LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&name));
    const LPARAM at = MAKELPARAM(name.left + 4, (name.top + name.bottom) / 2);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    const WPARAM held = shift ? MK_SHIFT : 0;
    ::SendMessageW(lvStats(), WM_LBUTTONDOWN, MK_LBUTTON | held, at);
    ::SendMessageW(lvStats(), WM_LBUTTONUP, held, at);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    DrainMessages();
  }

  HWND Header() const { return reinterpret_cast<HWND>(::SendMessageW(lvStats(), LVM_GETHEADER, 0, 0)); }

  // A click on a column's header, as the mouse gives it.
  void ClickHeader(int column) {
    RECT item{};
    ::SendMessageW(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(Header(), WM_LBUTTONUP, 0, at);
  }

  // The sort arrow a header item shows: HDF_SORTUP, HDF_SORTDOWN or 0.
  int SortArrow(int column) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(Header(), HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
  }

  // Ctrl and a key, pressed in `target` (the table unless given).
  // Ctrl+C in the table, and what the clipboard then holds (rows kept cut
  // are read again off the window's thread: such a copy lands a moment later).
  std::string CopyRows() {
    if (::OpenClipboard(nullptr)) {
      ::EmptyClipboard();
      ::CloseClipboard();
    }
    CtrlKey('C');
    std::string text;
    testing::WaitUntil([&text] { return !(text = ClipboardText()).empty(); });
    return text;
  }
  void CtrlKey(char key, HWND target = nullptr) {
    if (target == nullptr) target = lvStats();
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SetFocus(target);
    Key(target, WM_KEYDOWN, static_cast<WPARAM>(key));
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    DrainMessages();
  }

  // A key message as the message loop would hand it over, through the dialog keys.
  bool Key(HWND target, UINT message, WPARAM key, LPARAM flags = 0) {
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = key;
    msg.lParam = flags;
    const bool handled = frmMain_.PreTranslateMessage(msg);
    if (!handled) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    return handled;
  }

  int Dpi(int index) const {
    const HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, index);
    ::ReleaseDC(nullptr, dc);
    return dpi;
  }
  int ToPixelsX(float twips) const { return layout::TwipsToPixels(twips, static_cast<float>(Dpi(LOGPIXELSX))); }
  int ToPixelsY(float twips) const { return layout::TwipsToPixels(twips, static_cast<float>(Dpi(LOGPIXELSY))); }

  std::shared_ptr<LookupBinding> binding_ = std::make_shared<LookupBinding>();
  MainWindow frmMain_;
};

const ScanRow kRidge{"win32_ridge.dll", "Ridge Line", "Standard Techtree", "Hold the ridge until the convoy arrives."};
const ScanRow kHarbour{"win32_harbour.dll", "Port \xC3\x89toile", "Naval \xE2\x80\x93 Advanced",
                       "Take the lighthouse, then the pier (premi\xC3\xA8re vague)."};
const ScanRow kScouting{"win32_scouting.dll", "", "", "Scout the northern pass and report back."};

// A folder of mission DLLs, one DLL without texts, a file that is no image and a hidden mission.
void PlaceMissions(const TempFolder& folder) {
  for (const char* name : {"win32_ridge.dll", "win32_harbour.dll", "win32_scouting.dll", "win32_plain.dll"}) {
    CopyTo(TestDll(name), folder / name);
  }
  testing::WriteFile(folder / "broken.dll", "MZ and nothing else");
  CopyTo(TestDll("win32_ridge.dll"), folder / "hidden.dll");
  ::SetFileAttributesA((folder / "hidden.dll").c_str(), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(MainWindowTest, OpensAsDesigned) {
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  const HWND hwnd = frmMain_.hwnd();
  EXPECT_EQ(WindowText(hwnd), "Kelvane");

  RECT client{};
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(Width(client), ToPixelsX(7665));
  EXPECT_EQ(Height(client), ToPixelsY(5985));

  EXPECT_EQ(WindowText(txtTrhDir()), NativeToUtf8(ProgramFolder()));
  EXPECT_GT(::SendMessageW(txtTrhDir(), EM_GETLIMITTEXT, 0, 0), 0x7FFF0000);  // no length limit to speak of
  EXPECT_EQ(Status(), "Ready");
  EXPECT_EQ(WindowText(cmdScan()), "&Scan");
  EXPECT_EQ(::GetWindowLongW(cmdScan(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(::GetFocus(), cmdScan());

  // The four headers, their widths, no rows, the table's font.
  const HWND header = reinterpret_cast<HWND>(::SendMessageW(lvStats(), LVM_GETHEADER, 0, 0));
  ASSERT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 4);
  const char* headers[] = {"DLL Name", "Map Name", "Techtree Name", "Level Description"};
  const float widths[] = {2540, 2540, 2540, 5080};
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(::SendMessageW(lvStats(), LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(Narrow(text), headers[i]);
    EXPECT_EQ(column.cx, ToPixelsX(widths[i])) << headers[i];
  }
  EXPECT_EQ(::SendMessageW(lvStats(), LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(::GetWindowLongW(lvStats(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  LOGFONTW font{};
  ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(lvStats(), WM_GETFONT, 0, 0)), sizeof font, &font));
  EXPECT_EQ(Narrow(font.lfFaceName), "Arial");
  EXPECT_EQ(font.lfHeight, -::MulDiv(9, Dpi(LOGPIXELSY), 72));
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
}

TEST_F(MainWindowTest, ResizingMovesTheButtonAndStretchesTheBoxAndTable) {
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  const HWND hwnd = frmMain_.hwnd();
  const RECT button = ChildRect(cmdScan()), box = ChildRect(txtTrhDir()), table = ChildRect(lvStats());
  RECT client{};
  ::GetClientRect(hwnd, &client);
  // The table ends 330 twips above the client's bottom, the button 85 twips inside its right edge.
  EXPECT_EQ(table.bottom, client.bottom - ToPixelsY(330));
  EXPECT_NEAR(button.right, client.right - ToPixelsX(85), 1);

  RECT window{};
  ::GetWindowRect(hwnd, &window);
  constexpr int kWider = 150, kTaller = 90;
  ::SetWindowPos(hwnd, nullptr, 0, 0, Width(window) + kWider, Height(window) + kTaller, SWP_NOMOVE | SWP_NOZORDER);

  const RECT button2 = ChildRect(cmdScan()), box2 = ChildRect(txtTrhDir()), table2 = ChildRect(lvStats());
  EXPECT_EQ(button2.left, button.left + kWider);
  EXPECT_EQ(button2.top, button.top);
  EXPECT_EQ(Width(button2), Width(button));
  EXPECT_EQ(Height(button2), Height(button));
  EXPECT_EQ(box2.left, box.left);
  EXPECT_EQ(Width(box2), Width(box) + kWider);
  EXPECT_EQ(Height(box2), Height(box));
  EXPECT_EQ(table2.left, table.left);
  EXPECT_EQ(table2.top, table.top);
  EXPECT_EQ(Width(table2), Width(table) + kWider);
  EXPECT_EQ(Height(table2), Height(table) + kTaller);

  // The status bar stays docked along the whole bottom edge.
  RECT client2{};
  ::GetClientRect(hwnd, &client2);
  const RECT bar = ChildRect(sbStatusBar());
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client2.right);
  EXPECT_EQ(bar.bottom, client2.bottom);
  EXPECT_GT(Height(bar), 0);

  // Wider than the columns: the last takes the rest, the others keep their
  // widths, and a column the user widens takes from it; narrower again, the
  // last has its width, or the one the user gave it.
  const auto column = [this](int i) {
    return static_cast<int>(::SendMessageW(lvStats(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  };
  const auto tableClientWidth = [this] {
    RECT inside{};
    ::GetClientRect(lvStats(), &inside);
    return Width(inside);
  };
  const auto setClientWidth = [&](int width) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, Width(window) - Width(client) + width, Height(window), SWP_NOMOVE | SWP_NOZORDER);
  };
  const int designed = ToPixelsX(2540);
  const int last = ToPixelsX(5080);
  setClientWidth(ToPixelsX(14000));
  EXPECT_EQ(column(3), tableClientWidth() - 3 * designed);
  ::SendMessageW(lvStats(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(designed + 40, 0));
  EXPECT_EQ(column(3), tableClientWidth() - 3 * designed - 40);
  EXPECT_EQ(column(0) + column(2), 2 * designed);
  setClientWidth(Width(client));
  EXPECT_EQ(column(3), last);
  EXPECT_EQ(column(1), designed + 40);
  ::SendMessageW(lvStats(), LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(last + 100, 0));
  setClientWidth(ToPixelsX(14000));
  setClientWidth(Width(client));
  EXPECT_EQ(column(3), last + 100);

  // A window too small for the rule leaves nothing at a negative size.
  ::SetWindowPos(hwnd, nullptr, 0, 0, 60, 40, SWP_NOMOVE | SWP_NOZORDER);
  for (const HWND control : {txtTrhDir(), lvStats(), cmdScan()}) {
    const RECT rect = ChildRect(control);
    EXPECT_GE(Width(rect), 0);
    EXPECT_GE(Height(rect), 0);
  }
}

TEST_F(MainWindowTest, ScanFillsTheTableAndTheNextScanStartsAfresh) {
  const TempFolder folder;
  PlaceMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  ClickScan();
  EXPECT_EQ(SortedRows(), (std::vector<ScanRow>{kHarbour, kRidge, kScouting}));
  EXPECT_EQ(Status(), "Scan finished.");

  const TempFolder empty;
  SetFolder(NativeToUtf8(empty.str()));
  ClickScan();
  EXPECT_EQ(Rows(), (std::vector<ScanRow>{{"No DLL's found!", "", "", ""}}));
  EXPECT_EQ(Status(), "No files to scan.");
}

// Pixels of the table as drawn, in row `item` right of its first column,
// that are not the table's background.
int InkRightOfFirstColumn(HWND table, int item) {
  RECT client{};
  ::GetClientRect(table, &client);
  const HDC screen = ::GetDC(table);
  const HDC dc = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SendMessageW(table, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  RECT second{};
  second.top = 1;
  second.left = LVIR_BOUNDS;
  ::SendMessageW(table, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&second));
  const COLORREF background = ::GetPixel(dc, second.left + 1, second.top);  // the row's own, selected or not
  int ink = 0;
  for (int y = second.top; y < second.bottom; ++y) {
    for (int x = second.left; x < client.right; ++x) ink += ::GetPixel(dc, x, y) != background ? 1 : 0;
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(table, screen);
  return ink;
}

// A failure is a message row drawn across the whole row: it reads whole,
// without a tooltip.
TEST_F(MainWindowTest, FailuresReadWholeAcrossTheRow) {
  const TempFolder folder;
  const std::string missing = NativeToUtf8(folder / "missing");
  SetFolder(missing);
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  const std::vector<ScanRow> rows = Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (ScanRow{"No DLL's found!", "", "", ""}));
  EXPECT_TRUE(rows[1].dllName.starts_with("Cannot list " + missing + ": ")) << rows[1].dllName;
  EXPECT_GT(rows[1].dllName.size(), ("Cannot list " + missing + ": ").size()) << "the system's reason";
  EXPECT_EQ(Status(), "No files to scan.");
  EXPECT_GT(InkRightOfFirstColumn(lvStats(), 1), 0);
  EXPECT_EQ(TipOn(1, 0), "");
}

TEST_F(MainWindowTest, AltSScansAndEnterInTheFolderBoxDoesNot) {
  const TempFolder folder;
  PlaceMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();

  ::SetFocus(txtTrhDir());
  Key(txtTrhDir(), WM_KEYDOWN, VK_RETURN);
  Key(txtTrhDir(), WM_CHAR, L'\r');
  Key(txtTrhDir(), WM_KEYDOWN, VK_ESCAPE);
  DrainMessages();
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(Status(), "Ready");
  EXPECT_EQ(WindowText(txtTrhDir()), NativeToUtf8(folder.str()));

  constexpr LPARAM kAltDown = LPARAM{1} << 29;
  EXPECT_TRUE(Key(txtTrhDir(), WM_SYSCHAR, L's', kAltDown));
  DrainMessages();
  EXPECT_TRUE(testing::WaitUntil([this] { return !frmMain_.scanning(); }));
  EXPECT_EQ(SortedRows(), (std::vector<ScanRow>{kHarbour, kRidge, kScouting}));
  EXPECT_EQ(Status(), "Scan finished.");
}

TEST_F(MainWindowTest, TabWalksButtonFolderBoxTable) {
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ASSERT_EQ(::GetFocus(), cmdScan());
  for (const HWND expected : {txtTrhDir(), lvStats(), cmdScan()}) {
    Key(::GetFocus(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(::GetFocus(), expected);
  }
}

TEST_F(MainWindowTest, ClosingDuringAScanEndsItAndQuitsAfterwards) {
  const TempFolder folder;
  PlaceMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  const HWND hwnd = frmMain_.hwnd();
  ClickScan(false);
  ASSERT_TRUE(frmMain_.scanning());
  ::SendMessageW(hwnd, WM_CLOSE, 0, 0);

  EXPECT_FALSE(frmMain_.scanning());
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_FALSE(frmMain_.IsOpen());
  MSG message;
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);

  // The window's object outlives its window and does nothing.
  EXPECT_EQ(frmMain_.FolderText(), "");
  frmMain_.TableCleared();
  frmMain_.TableChanged({0, {0, 1}, true});
  frmMain_.ShowStatus("Scan finished.");
  EXPECT_FALSE(frmMain_.PreTranslateMessage(message));
}

// Texts as missions carry them: several lines; longer than a cell shows.
constexpr char kOrders[] = "Objectives:\r\n- Hold the bridge\n- Keep the convoy\tin sight";
constexpr std::size_t kLongBytes = kCellCharacters + 1000;

// Writes a0_orders.dll (several lines), a1_long.dll (cut in its cell) and a
// copy of win32_ridge.dll.
void PlaceTextMissions(const TempFolder& folder) {
  vostrel::testing::WriteMission(folder / "a0_orders.dll", "Orders", kOrders);
  vostrel::testing::WriteMission(folder / "a1_long.dll", "Long", vostrel::testing::FillerText(kLongBytes));
  CopyTo(TestDll("win32_ridge.dll"), folder / "win32_ridge.dll");
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return "(the clipboard is busy)";
  if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* characters = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = Narrow(characters);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

// Every row is one line high whatever its texts: line breaks and tabs show as
// one mark each, a long text is cut; the whole texts stay for copying.
TEST_F(MainWindowTest, TextsShowOnOneLineAndCopyWhole) {
  const TempFolder folder;
  PlaceTextMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  const std::string filler = vostrel::testing::FillerText(kLongBytes);
  const std::string full = "Hold the ridge until the convoy arrives.";
  EXPECT_EQ(SortedRows(),
            (std::vector<ScanRow>{
                {"a0_orders.dll", "Orders", "Standard Techtree",
                 "Objectives: \xC2\xB6 - Hold the bridge \xC2\xB6 - Keep the convoy \xC2\xB6 in sight"},
                {"a1_long.dll", "Long", "Standard Techtree", filler.substr(0, kCellCharacters) + "\xE2\x80\xA6"},
                {"win32_ridge.dll", "Ridge Line", "Standard Techtree", full}}));
  std::map<std::string, int> items;  // the listing's order is the file system's
  for (int i = 0; i < 3; ++i) items[CellText(i, 0)] = i;
  RECT first{}, other{};
  ::SendMessageW(lvStats(), LVM_GETITEMRECT, static_cast<WPARAM>(items["a0_orders.dll"]), reinterpret_cast<LPARAM>(&first));
  ::SendMessageW(lvStats(), LVM_GETITEMRECT, static_cast<WPARAM>(items["win32_ridge.dll"]), reinterpret_cast<LPARAM>(&other));
  EXPECT_EQ(Height(first), Height(other));
  EXPECT_LT(Height(first), 2 * ::MulDiv(9, Dpi(LOGPIXELSY), 72));

  // Tooltips: the whole text with its line breaks, bounded, on a cell that
  // cuts it or is too narrow for it; none on a cell that shows it all.
  // At the designed widths the description's column starts past the table's
  // right edge: narrower columns bring a narrow one into view.
  for (const WPARAM column : {1u, 2u, 3u}) ::SendMessageW(lvStats(), LVM_SETCOLUMNWIDTH, column, 60);
  EXPECT_EQ(TipOn(items["a0_orders.dll"], 3), "Objectives:\n- Hold the bridge\n- Keep the convoy\tin sight");
  EXPECT_EQ(TipOn(items["a1_long.dll"], 3), filler.substr(0, kTipCharacters) + "\xE2\x80\xA6");
  EXPECT_EQ(TipOn(items["win32_ridge.dll"], 0), "");

  // Ctrl+A, Ctrl+C: every row, in the table's order, as vostrel-scan prints them.
  std::map<std::string, std::string> lines{
      {"a0_orders.dll", "Orders\tStandard Techtree\tObjectives:\\r\\n- Hold the bridge\\n- Keep the convoy\\tin sight"},
      {"a1_long.dll", "Long\tStandard Techtree\t" + filler},
      {"win32_ridge.dll", "Ridge Line\tStandard Techtree\t" + full}};
  std::string expected;
  for (int i = 0; i < 3; ++i) expected += CellText(i, 0) + "\t" + lines[CellText(i, 0)] + "\r\n";
  CtrlKey('A');
  const std::string copied = CopyRows();
  EXPECT_TRUE(copied == expected) << copied.size() << " bytes, not " << expected.size();
}

// A text longer than a window copies: the cell ends in the cut mark, and a
// copy reads the file again, its first kFullTextBytes only, ending in the cut
// mark. The window still answers and paints.
TEST_F(MainWindowTest, ATextPastTheBoundIsKeptCut) {
  const TempFolder folder;
  vostrel::testing::WriteMission(folder / "huge.dll", "Huge", "Begin ", kFullTextBytes + (8u << 20));
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  ClickScan();
  EXPECT_EQ(Status(), "Scan finished.");
  const std::string cell = CellText(0, 3);
  EXPECT_TRUE(cell.starts_with("Begin The convoy")) << cell.substr(0, 40);
  EXPECT_EQ(cell.size(), kCellCharacters + 3);  // ASCII, then the three bytes of the cut mark
  CtrlKey('A');
  const std::string kept = "Begin " + vostrel::testing::FillerText(kFullTextBytes - 6);
  const std::string expected = "huge.dll\tHuge\tStandard Techtree\t" + kept + "\xE2\x80\xA6\r\n";
  const std::string copied = CopyRows();
  EXPECT_TRUE(copied == expected) << copied.size() << " bytes, not " << expected.size();

  RECT window{};
  ::GetWindowRect(frmMain_.hwnd(), &window);
  ::SetWindowPos(frmMain_.hwnd(), nullptr, 0, 0, Width(window) + 100, Height(window) + 50, SWP_NOMOVE | SWP_NOZORDER);
  ::RedrawWindow(frmMain_.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DrainMessages();
  EXPECT_EQ(::SendMessageW(lvStats(), LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(WindowText(frmMain_.hwnd()), "Kelvane");
}

// Esc as the user presses it once the scan has shown rows: the scan stops at
// once, its rows kept.
TEST_F(MainWindowTest, EscapeStopsAScanAndKeepsItsRows) {
  constexpr int kMissions = 2000;
  const TempFolder folder;
  const std::string ridge = TestDll("win32_ridge.dll");
  for (int i = 0; i < kMissions; ++i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'm');
    name.append(".dll");
    CopyTo(ridge, folder / name);
  }
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  ::SetForegroundWindow(frmMain_.hwnd());
  DrainMessages();
  ::SetFocus(lvStats());
  // The scan runs on a thread of its own: on a loaded machine it may end
  // before the window has shown its first rows. Then it is scanned again.
  bool stopped = false;
  for (int attempt = 0; attempt < 5 && !stopped; ++attempt) {
    ClickScan(false);
    ASSERT_TRUE(testing::WaitUntil([&] { return ::SendMessageW(lvStats(), LVM_GETITEMCOUNT, 0, 0) > 0; }));
    stopped = frmMain_.scanning();
    if (stopped) {
      Key(lvStats(), WM_KEYDOWN, VK_ESCAPE);
    } else {
      ASSERT_EQ(Status(), "Scan finished.");
    }
  }
  ASSERT_TRUE(stopped) << "every scan ended before its first rows were shown";
  EXPECT_FALSE(frmMain_.scanning());
  EXPECT_EQ(Status(), "Scan stopped.");
  const std::vector<ScanRow> rows = Rows();
  EXPECT_GT(rows.size(), 0u);
  EXPECT_LT(rows.size(), static_cast<std::size_t>(kMissions));
  for (const ScanRow& row : rows) {
    EXPECT_TRUE(row.dllName.starts_with("m") && row.mapName == kRidge.mapName) << row.dllName;
  }
}

// A click on a header sorts by its column, a second reverses; the header
// shows which and which way; selected rows stay selected as they move, and
// copy in the order shown. The order holds for the next scan.
TEST_F(MainWindowTest, HeaderClicksSortTheRows) {
  using vostrel::testing::kSortCaseRows;
  using vostrel::testing::SortCaseOrder;
  // m9.dll would be M9.dll on this file system, which disregards letter case.
  constexpr int kLeftOut = 2;
  const auto names = [](const SortCaseOrder& order) {
    std::vector<std::string> shown;
    for (const int i : order) {
      if (i != kLeftOut) shown.emplace_back(kSortCaseRows[static_cast<std::size_t>(i)].dllName);
    }
    return shown;
  };
  const TempFolder sorted;
  for (std::size_t i = 0; i < kSortCaseRows.size(); ++i) {
    if (i == kLeftOut) continue;
    // The map names in Windows-1252, which Latin-1 matches for these.
    std::string map;
    for (const wchar_t c : Widen(kSortCaseRows[i].mapName)) map += static_cast<char>(c);
    vostrel::testing::WriteMission(sorted / std::string(kSortCaseRows[i].dllName), map, "");
  }
  SetFolder(NativeToUtf8(sorted.str()));
  ClickScan();
  std::vector<std::string> listed;
  DllListing listing(sorted.str());
  while (const auto name = listing.Next()) listed.push_back(NativeToUtf8(*name));
  EXPECT_EQ(Names(), listed);
  for (const char* name : {"m10.dll", "b.dll"}) {
    Select(static_cast<int>(std::find(listed.begin(), listed.end(), name) - listed.begin()));
  }

  const struct {
    int column;
    SortCaseOrder order;
    int arrow;
  } clicks[] = {
      {0, vostrel::testing::kByNameAscending, HDF_SORTUP},
      {0, vostrel::testing::kByNameDescending, HDF_SORTDOWN},
      {1, vostrel::testing::kByMapAscending, HDF_SORTUP},
      {1, vostrel::testing::kByMapDescending, HDF_SORTDOWN},
  };
  for (const auto& click : clicks) {
    ClickHeader(click.column);
    const std::vector<std::string> shown = Names();
    EXPECT_EQ(shown, names(click.order)) << "column " << click.column;
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(SortArrow(column), column == click.column ? click.arrow : 0) << "column " << column;
    }
    EXPECT_EQ(SelectedNames(), (std::set<std::string>{"b.dll", "m10.dll"}));
    const bool bFirst = std::find(shown.begin(), shown.end(), "b.dll") < std::find(shown.begin(), shown.end(), "m10.dll");
    CtrlKey('C');
    const std::string b = "b.dll\t\xC3\xA9tang\tStandard Techtree\t\r\n";
    const std::string m10 = "m10.dll\tdelta\tStandard Techtree\t\r\n";
    EXPECT_EQ(ClipboardText(), bFirst ? b + m10 : m10 + b);
  }

  // Typing a name's start goes to its row.
  ::SetFocus(lvStats());
  for (const wchar_t typed : {L'M', L'2'}) Key(lvStats(), WM_CHAR, typed, 1);
  const auto focused = static_cast<int>(::SendMessageW(lvStats(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  EXPECT_EQ(CellText(focused, 0), "m2.DLL");

  ClickHeader(0);  // by name, ascending, then twice: descending
  ClickHeader(0);
  const TempFolder folder;
  PlaceMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  ClickScan();
  EXPECT_EQ(Rows(), (std::vector<ScanRow>{kScouting, kRidge, kHarbour}));
}

// What the table's context menu offers, read while it shows.
struct ShownMenu {
  std::vector<std::string> items;      // the menu's captions
  std::vector<std::string> codePages;  // the code page submenu's captions
  std::vector<UINT> codePageIds;
  std::string checked;  // the code page radio-checked
};

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return Narrow(text);
}

LRESULT CALLBACK ReadShownMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) {
    auto& shown = *reinterpret_cast<ShownMenu*>(data);
    const auto menu = reinterpret_cast<HMENU>(wParam);
    for (UINT i = 0; i < static_cast<UINT>(::GetMenuItemCount(menu)); ++i) {
      shown.items.push_back(MenuText(menu, i));
      if (const HMENU sub = ::GetSubMenu(menu, static_cast<int>(i))) {
        for (UINT j = 0; j < static_cast<UINT>(::GetMenuItemCount(sub)); ++j) {
          MENUITEMINFOW info{};
          info.cbSize = sizeof info;
          info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
          ::GetMenuItemInfoW(sub, j, TRUE, &info);
          shown.codePages.push_back(MenuText(sub, j));
          shown.codePageIds.push_back(info.wID);
          if ((info.fState & MFS_CHECKED) && (info.fType & MFT_RADIOCHECK)) shown.checked = shown.codePages.back();
        }
      }
    }
    ::PostMessageW(window, WM_CANCELMODE, 0, 0);  // closes the menu
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

ShownMenu MainWindowTest::OpenTableMenu() {
  ShownMenu shown;
  ::SetWindowSubclass(frmMain_.hwnd(), ReadShownMenu, 1, reinterpret_cast<DWORD_PTR>(&shown));
  ::SendMessageW(frmMain_.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(lvStats()), MAKELPARAM(-1, -1));
  ::RemoveWindowSubclass(frmMain_.hwnd(), ReadShownMenu, 1);
  return shown;
}

// The window in the user's interface language: English in the suite's
// runs, Polish in win32_window_pl_PL's (Wine takes the language from LANG).
TEST_F(MainWindowTest, SpeaksTheUsersLanguage) {
  struct Texts {
    std::string scan, ready, header, copy, codePage, noDlls, noFiles;
  };
  const std::map<std::string_view, Texts> expected{
      {"", {"&Scan", "Ready", "Map Name", "Copy\tCtrl+C", "Central European (1250)", "No DLL's found!",
            "No files to scan."}},
      {"pl", {"&Skanuj", "Gotowe", "Nazwa mapy", "Kopiuj\tCtrl+C", "Europa \xC5\x9Arodkowa (1250)",
              "Nie znaleziono plik\xC3\xB3w DLL!", "Brak plik\xC3\xB3w do skanowania."}},
  };
  if (const char* wanted = std::getenv("VOSTREL_TEST_LANGUAGE")) {
    ASSERT_EQ(TextLanguage(), wanted);
  }
  const auto texts = expected.find(TextLanguage());
  if (texts == expected.end()) GTEST_SKIP() << "no texts to expect in " << TextLanguage();
  const Texts& said = texts->second;
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  EXPECT_EQ(WindowText(frmMain_.hwnd()), "Kelvane");
  EXPECT_EQ(WindowText(cmdScan()), said.scan);
  EXPECT_EQ(Status(), said.ready);
  wchar_t header[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = header;
  column.cchTextMax = 64;
  ASSERT_TRUE(::SendMessageW(lvStats(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_EQ(Narrow(header), said.header);
  const ShownMenu menu = OpenTableMenu();
  ASSERT_FALSE(menu.items.empty());
  EXPECT_EQ(menu.items[0], said.copy);
  EXPECT_EQ(menu.codePages.at(7), said.codePage);  // after Automatic and a separator

  const TempFolder empty;
  SetFolder(NativeToUtf8(empty.str()));
  ClickScan();
  EXPECT_EQ(Rows(), (std::vector<ScanRow>{{said.noDlls, "", "", ""}}));
  EXPECT_EQ(Status(), said.noFiles);
}

// The menu beside Copy lists Automatic and the code pages, the one in use
// checked; choosing one reads the table's texts again in it.
TEST_F(MainWindowTest, TheCodePageMenuRereadsTheTexts) {
  const auto openMenu = [this] { return OpenTableMenu(); };
  const TempFolder folder;
  vostrel::testing::WriteMission(folder / "most.dll", "\xCC\xEE\xF1\xF2", "");  // "Мост" in Windows-1251
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  EXPECT_EQ(CellText(0, 1), "\xC3\x8C\xC3\xAE\xC3\xB1\xC3\xB2");  // "Ìîñò": Windows-1252, the system's

  const ShownMenu shown = openMenu();
  EXPECT_EQ(shown.items, (std::vector<std::string>{"Copy\tCtrl+C", std::string(kFilterCaption) + "\tCtrl+F",
                                                  std::string(kDetailsCaption) + "\tEnter",
                                                  std::string(kCodePageMenuCaption)}));
  std::vector<std::string> labels{"Automatic", ""};  // then a separator
  for (const CodePageName& codePage : kCodePages) labels.push_back(CodePageLabel(codePage));
  EXPECT_EQ(shown.codePages, labels);
  EXPECT_EQ(shown.checked, CodePageLabel(*FindCodePage(DefaultCodePage())));

  ASSERT_EQ(shown.codePageIds.size(), labels.size());
  for (const char* chosen : {"Automatic", "Cyrillic (1251)"}) {  // the code page its bytes tell; the one chosen
    const auto label = std::find(labels.begin(), labels.end(), chosen);
    ASSERT_NE(label, labels.end());
    const UINT id = shown.codePageIds[static_cast<std::size_t>(label - labels.begin())];
    ::SendMessageW(frmMain_.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);  // as the menu sends it
    DrainMessages();  // the scan again, posted
    EXPECT_TRUE(testing::WaitUntil([this] { return !frmMain_.scanning(); }));
    EXPECT_EQ(CellText(0, 1), "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82");  // "Мост"
    EXPECT_EQ(Status(), "Scan finished.");
    EXPECT_EQ(openMenu().checked, chosen);
  }
}

// A folder given from outside the window: on the command line (a folder
// relative to the working folder, or a file meaning its folder), or dropped
// on it. The folder box shows the full folder and the window scans it.
TEST_F(MainWindowTest, AFolderGivenFromOutsideIsScanned) {
  const TempFolder parent;
  const std::string missions = parent / "missions";
  ASSERT_TRUE(::CreateDirectoryA(missions.c_str(), nullptr));
  for (const char* name : {"win32_ridge.dll", "win32_harbour.dll", "win32_scouting.dll"}) {
    CopyTo(TestDll(name), missions + "\\" + name);
  }
  const testing::CurrentFolder inParent(parent.str());
  const struct {
    bool dropped;
    std::string path;
  } cases[] = {
      {false, "missions"},
      {false, missions + "\\win32_ridge.dll"},
      {true, missions},
      {true, missions + "\\win32_harbour.dll"},
  };
  for (const auto& given : cases) {
    SCOPED_TRACE((given.dropped ? "dropped: " : "argument: ") + given.path);
    const std::wstring path = Widen(NativeToUtf8(given.path));
    {
      MainWindow window(::GetModuleHandleW(nullptr), binding_, given.dropped ? std::wstring() : path);
      if (given.dropped) {
        // What the shell hands a window that takes dropped files.
        const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
        const HGLOBAL drop = ::GlobalAlloc(GHND, bytes);
        ASSERT_NE(drop, nullptr);
        auto* const files = static_cast<DROPFILES*>(::GlobalLock(drop));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(files + 1));
        ::GlobalUnlock(drop);
        ::PostMessageW(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);  // freed by the window
      }
      DrainMessages();
      EXPECT_TRUE(testing::WaitUntil([&window] { return !window.scanning(); }));
      EXPECT_EQ(window.FolderText(), NativeToUtf8(missions));
      EXPECT_EQ(::SendMessageW(::GetDlgItem(window.hwnd(), kTableId), LVM_GETITEMCOUNT, 0, 0), 3);
    }
    DrainMessages();  // the quit request the window's destruction left
  }
}

// The lookup library cut short (a copy still being written): the system
// refuses it, the table's row says it is damaged, and the scan goes to its end.
TEST_F(MainWindowTest, ACutLibraryIsSaidInTheTable) {
  const TempFolder folder;
  PlaceMissions(folder);
  std::ifstream file(testing::TestProgramFolder() + "\\Peloc.dll", std::ios::binary);
  const std::string whole{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const TempFolder elsewhere;
  const std::string library = elsewhere / "Peloc.dll";
  // In the code, and well before the symbols that follow the sections.
  for (const std::size_t size : {std::size_t{4096}, whole.size() / 4}) {
    SCOPED_TRACE(size);
    testing::WriteFile(library, std::string_view(whole).substr(0, size));
    {
      MainWindow window(::GetModuleHandleW(nullptr), std::make_shared<LookupBinding>(std::vector<std::string>{library}),
                        Widen(NativeToUtf8(folder.str())));
      DrainMessages();
      EXPECT_TRUE(testing::WaitUntil([&window] { return !window.scanning(); }));
      const HWND table = ::GetDlgItem(window.hwnd(), kTableId);
      ASSERT_EQ(::SendMessageW(table, LVM_GETITEMCOUNT, 0, 0), 1);
      std::wstring text(512, L'\0');
      LVITEMW cell{};
      cell.pszText = text.data();
      cell.cchTextMax = static_cast<int>(text.size());
      text.resize(static_cast<std::size_t>(::SendMessageW(table, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell))));
      EXPECT_EQ(Narrow(text), "Cannot load the lookup library Peloc: " + NativeToUtf8(library) +
                                  " is damaged or incomplete; looked for " + NativeToUtf8(library) + ".");
    }
    DrainMessages();  // the quit request the window's destruction left
  }
}

// File and folder names in any script: the process's code page is UTF-8 (the
// program's manifest), while texts are still read in the system's code page.
TEST_F(MainWindowTest, NamesInAnyScriptAreListed) {
  ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)) << "the test program runs without the UTF-8 manifest";
  const TempFolder folder("\xC5\x81\xC3\xB3\x64\xC5\xBA");  // Łódź
  CopyTo(TestDll("win32_harbour.dll"), folder / "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82.dll");  // Мост.dll
  SetFolder(folder.str());
  ClickScan();
  ScanRow expected = kHarbour;
  expected.dllName = "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82.dll";
  EXPECT_EQ(Rows(), (std::vector<ScanRow>{expected}));
  EXPECT_EQ(Status(), "Scan finished.");
}

// Ctrl+F shows the filter box along the table's bottom, the table giving up
// its height, with the focus, after the table in the tab order; what is
// typed shows only the rows that hold it, and the status says how many.
// Escape empties and hides it, and the table takes its height and the focus.
TEST_F(MainWindowTest, CtrlFFiltersTheRowsAndEscapeHidesTheBox) {
  const TempFolder folder;
  PlaceMissions(folder);
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  const HWND txtFilter = Control(kFilterBoxId);
  EXPECT_FALSE(::IsWindowVisible(txtFilter));
  const RECT table = ChildRect(lvStats());

  CtrlKey('F');
  ASSERT_TRUE(::IsWindowVisible(txtFilter));
  EXPECT_EQ(::GetFocus(), txtFilter);
  const RECT box = ChildRect(txtFilter);
  EXPECT_NEAR(Height(box), ToPixelsY(layout::kFilterBoxHeight), 1);
  EXPECT_NEAR(box.top, ChildRect(lvStats()).bottom, 1);
  EXPECT_EQ(box.bottom, table.bottom);
  EXPECT_EQ(box.left, table.left);
  EXPECT_EQ(Width(box), Width(table));
  for (const wchar_t typed : std::wstring_view(L"RIDGE line")) Key(txtFilter, WM_CHAR, typed, 1);
  EXPECT_EQ(Rows(), (std::vector<ScanRow>{kRidge}));
  EXPECT_EQ(Status(), "Scan finished. 1 of 3 missions shown.");
  ::SetFocus(lvStats());
  Key(lvStats(), WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(::GetFocus(), txtFilter);

  Key(txtFilter, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_FALSE(::IsWindowVisible(txtFilter));
  EXPECT_EQ(WindowText(txtFilter), "");
  EXPECT_EQ(::GetFocus(), lvStats());
  EXPECT_EQ(ChildRect(lvStats()).bottom, table.bottom);
  EXPECT_EQ(SortedRows(), (std::vector<ScanRow>{kHarbour, kRidge, kScouting}));
  EXPECT_EQ(Status(), "Scan finished.");
}

// Enter on a row opens its details in a window of their own, titled with its
// file name, its description whole with its line breaks as lines, copied
// whole by Ctrl+A, Ctrl+C; a double-click opens another; Escape closes one;
// a file deleted since is said, not shown as texts; and the main window
// closes the rest. The folder is named in Polish.
TEST_F(MainWindowTest, EnterOpensTheDetailsWhoseTextCopiesWhole) {
  const TempFolder folder("\xC5\x81\xC3\xB3\x64\xC5\xBA"), written;  // Łódź; the writer takes ASCII names
  const std::string filler = vostrel::testing::FillerText(kLongBytes);
  vostrel::testing::WriteMission(written / "orders.dll", "Orders", std::string(kOrders) + "\n" + filler);
  CopyTo(written / "orders.dll", folder / "orders.dll");
  CopyTo(TestDll("win32_ridge.dll"), folder / "win32_ridge.dll");
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  ClickHeader(0);  // orders.dll, then win32_ridge.dll

  ::SetFocus(lvStats());
  LVITEMW focus{};
  focus.stateMask = focus.state = LVIS_FOCUSED | LVIS_SELECTED;
  ::SendMessageW(lvStats(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
  Key(lvStats(), WM_KEYDOWN, VK_RETURN);
  DrainMessages();
  HWND details = nullptr;  // opens once read, off the window's thread
  ASSERT_TRUE(testing::WaitUntil([&] { return (details = ::FindWindowW(nullptr, L"orders.dll")) != nullptr; }));
  EXPECT_EQ(WindowText(::GetDlgItem(details, kFirstFieldId)), NativeToUtf8(folder / "orders.dll"));
  for (const int field : {kFirstFieldId + 1, kFirstFieldId + 2}) {  // the size and the time
    EXPECT_NE(WindowText(::GetDlgItem(details, field)), "unknown");
  }
  const HWND levelDesc = ::GetDlgItem(details, kFirstExportTextId + 2);
  EXPECT_TRUE(WindowText(::GetWindow(levelDesc, GW_HWNDPREV)).starts_with("LevelDesc \xE2\x80\x94 "));
  const std::string expected = "Objectives:\r\n- Hold the bridge\r\n- Keep the convoy\\tin sight\r\n" + filler;
  EXPECT_TRUE(WindowText(levelDesc) == expected) << WindowText(levelDesc).substr(0, 80);
  CtrlKey('A', levelDesc);
  CtrlKey('C', levelDesc);
  EXPECT_TRUE(ClipboardText() == expected) << ClipboardText().substr(0, 80);

  RECT second{};
  second.left = LVIR_BOUNDS;
  ::SendMessageW(lvStats(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  ::SendMessageW(lvStats(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(second.left + 8, (second.top + second.bottom) / 2));
  DrainMessages();
  HWND ridge = nullptr;  // opens once read, off the window's thread
  ASSERT_TRUE(testing::WaitUntil([&] { return (ridge = ::FindWindowW(nullptr, L"win32_ridge.dll")) != nullptr; }));

  Key(levelDesc, WM_KEYDOWN, VK_ESCAPE);
  DrainMessages();
  EXPECT_FALSE(::IsWindow(details));
  EXPECT_TRUE(::IsWindow(ridge));

  // A file that cannot be read any more (deleted since the scan) is said
  // once, with the system's reason, over the texts, which stay empty.
  ::SendMessageW(lvStats(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));  // orders.dll again
  ASSERT_TRUE(::DeleteFileA((folder / "orders.dll").c_str()));
  ::SetFocus(lvStats());
  Key(lvStats(), WM_KEYDOWN, VK_RETURN);
  HWND gone = nullptr;  // opens once read, off the window's thread
  ASSERT_TRUE(testing::WaitUntil([&] { return (gone = ::FindWindowW(nullptr, L"orders.dll")) != nullptr; }));
  const std::string problem = WindowText(::GetDlgItem(gone, kProblemId));
  EXPECT_TRUE(problem.starts_with("Cannot read orders.dll: ") && problem.size() > 24) << problem;
  EXPECT_EQ(WindowText(::GetDlgItem(gone, kFirstExportTextId + 2)), "");
  ::DestroyWindow(frmMain_.hwnd());
  EXPECT_FALSE(::IsWindow(ridge));
}

// The table follows the folder it scanned (named in Polish): a DLL copied in
// and another deleted change their own rows, with no Scan; the selection
// stays; a DLL rewritten keeping its size and time is read again. The folder renamed (which does not signal its own notifications):
// said, and the rows stay.
TEST_F(MainWindowTest, TheTableFollowsItsFolder) {
  const TempFolder folder("\xC5\x81\xC3\xB3\x64\xC5\xBA");  // Łódź
  for (const char* name : {"win32_ridge.dll", "win32_harbour.dll"}) CopyTo(TestDll(name), folder / name);
  SetFolder(NativeToUtf8(folder.str()));
  ClickScan();
  ClickHeader(0);
  ASSERT_EQ(Rows(), (std::vector<ScanRow>{kHarbour, kRidge}));
  EXPECT_EQ(Status(), "Scan finished.");
  EXPECT_EQ(Status(1), "Following the folder");
  Select(1);

  CopyTo(TestDll("win32_scouting.dll"), folder / "win32_scouting.dll");
  ASSERT_TRUE(::DeleteFileA((folder / "win32_harbour.dll").c_str()));
  const std::vector<ScanRow> followed{kRidge, kScouting};
  testing::WaitUntil([&] { return Rows() == followed; });
  EXPECT_EQ(Rows(), followed);
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"win32_ridge.dll"}));

  // Rewritten in place keeping its size and time: ReadDirectoryChangesW's
  // word that it was written reads it again.
  const std::string ridge = folder / "win32_ridge.dll";
  std::string bytes;
  {
    std::ifstream in(ridge, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t map = bytes.find("Ridge Line");
  ASSERT_NE(map, std::string::npos);
  bytes.replace(map, 10, "Ridge Lane");
  const HANDLE file = ::CreateFileA(ridge.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME written{};
  DWORD wrote = 0;
  EXPECT_TRUE(::GetFileTime(file, nullptr, nullptr, &written) &&
              ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
              ::SetFileTime(file, nullptr, nullptr, &written));
  ::CloseHandle(file);
  ScanRow lane = kRidge;
  lane.mapName = "Ridge Lane";
  const std::vector<ScanRow> rewritten{lane, kScouting};
  testing::WaitUntil([&] { return Rows() == rewritten; });
  EXPECT_EQ(Rows(), rewritten);

  const std::string renamed = folder.str() + "-renamed";
  ASSERT_TRUE(::MoveFileA(folder.str().c_str(), renamed.c_str()));
  testing::WaitUntil([&] { return Status().ends_with("no longer follows it."); });
  EXPECT_TRUE(Status().ends_with("no longer follows it.")) << Status();
  EXPECT_TRUE(Status(1).starts_with("Stopped following: the folder ")) << Status(1);
  EXPECT_EQ(Rows(), rewritten);
  ::MoveFileA(renamed.c_str(), folder.str().c_str());
}

constexpr int kMessageBoxText = 0xFFFF;  // the message box's text control

struct MessageBoxSearch {
  DWORD processId;
  HWND box;  // found: a dialog of the process's, as a message box is
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM search) {
  auto& found = *reinterpret_cast<MessageBoxSearch*>(search);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  wchar_t className[16]{};
  ::GetClassNameW(hwnd, className, 16);
  // Shown once its controls are made and hold their texts.
  if (owner == found.processId && std::wstring_view(className) == L"#32770" && ::IsWindowVisible(hwnd) &&
      ::GetWindowTextLengthW(::GetDlgItem(hwnd, kMessageBoxText)) > 0) {
    found.box = hwnd;
  }
  return found.box == nullptr;
}

// The command line, read by the rules the Qt window reads it by; Vostrel.exe
// itself refuses a second folder in a message box, with exit status 2.
TEST(VostrelCommandLine, ReadAsBothWindowsReadIt) {
  using Kind = WindowCommand<wchar_t>::Kind;
  struct Case {
    std::vector<std::wstring> args;
    Kind kind;
    std::wstring said;  // the folder opened, or the problem
  };
  const Case cases[] = {
      {{L""}, Kind::kOpen, L""},
      {{L"--", L"-reverse"}, Kind::kOpen, L"-reverse"},
      {{L"\u0141\u00f3d\u017a", L"b"}, Kind::kWrong, L"give one folder at most, not also \"b\""},
      {{L"-reverse"}, Kind::kWrong, L"unknown option -reverse"},
      {{L"--version"}, Kind::kVersion, L""},
  };
  for (const Case& c : cases) {
    const auto command = ReadWindowArguments<wchar_t>(c.args);
    EXPECT_EQ(command.kind, c.kind) << Narrow(c.args.front());
    EXPECT_EQ(command.kind == Kind::kWrong ? command.problem : command.folder, c.said) << Narrow(c.args.front());
  }

  const std::wstring program = Widen(testing::TestProgramFolder()) + L"\\Vostrel.exe";
  std::wstring commandLine = L"\"" + program + L"\" a b";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &started));
  const handle::UniqueHandle<handle::NullInvalid<HANDLE, ::CloseHandle>> process(started.hProcess);
  const handle::UniqueHandle<handle::NullInvalid<HANDLE, ::CloseHandle>> thread(started.hThread);
  // The box is found among the program's windows, read and closed as a user would close it.
  MessageBoxSearch search{started.dwProcessId, nullptr};
  for (int tries = 0; tries < 600 && search.box == nullptr; ++tries) {
    ::EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    if (search.box == nullptr) ::Sleep(100);
  }
  ASSERT_NE(search.box, nullptr) << "no message box";
  wchar_t text[256]{};
  ::GetDlgItemTextW(search.box, kMessageBoxText, text, 256);
  EXPECT_TRUE(std::wstring_view(text).starts_with(L"give one folder at most, not also \"b\"")) << Narrow(text);
  ::PostMessageW(search.box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 2u);
}

// However rows are selected (one by one, Ctrl+A, a Shift+click over Ctrl+A),
// the selection stays with them as rows above them leave and come back (the
// filter) and come in (the table following its folder), rows added being
// left unselected. The table is sorted, descending, so that the rows come
// in above.
TEST_F(MainWindowTest, TheSelectionStaysWithItsRowsAsRowsComeAbove) {
  const TempFolder folder;
  for (const char* name : {"z.dll", "m4.dll", "m3.dll", "m2.dll", "m1.dll"})
    CopyTo(TestDll("win32_ridge.dll"), folder / name);  // its texts hold no "m"
  SetFolder(NativeToUtf8(folder.str()));
  frmMain_.Show(SW_SHOWNORMAL);
  DrainMessages();
  ClickScan();
  ClickHeader(0);
  ClickHeader(0);
  ASSERT_EQ(Names(), (std::vector<std::string>{"z.dll", "m4.dll", "m3.dll", "m2.dll", "m1.dll"}));
  const auto item = [this](const std::string& name) {
    const std::vector<std::string> names = Names();
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  const HWND txtFilter = Control(kFilterBoxId);
  const struct {
    const char* how;
    std::function<void()> select;
    std::set<std::string> selected;  // once z.dll has been filtered out and shown again
  } cases[] = {
      {"one by one", [&] { Select(item("m3.dll")); Select(item("m1.dll")); }, {"m3.dll", "m1.dll"}},
      {"Ctrl+A", [&] { CtrlKey('A'); }, {"m4.dll", "m3.dll", "m2.dll", "m1.dll"}},
      {"Shift+click over Ctrl+A",
       [&] {
         ClickRow(item("m4.dll"));
         CtrlKey('A');
         ClickRow(item("m2.dll"), true);
       },
       {"m4.dll", "m3.dll", "m2.dll"}},
  };
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED;
  int added = 0;
  for (const auto& selection : cases) {
    ::SendMessageW(lvStats(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    selection.select();
    ::SetWindowTextW(txtFilter, L"m");
    EXPECT_EQ(Names().front(), "m4.dll") << selection.how;
    ::SetWindowTextW(txtFilter, L"");
    EXPECT_EQ(SelectedNames(), selection.selected) << selection.how;

    const std::string name = "n" + std::to_string(++added) + ".dll";  // between z.dll and m4.dll
    CopyTo(TestDll("win32_ridge.dll"), folder / name);
    testing::WaitUntil([&] { return item(name) == 1; });
    ASSERT_EQ(item(name), 1) << selection.how;
    EXPECT_EQ(SelectedNames(), selection.selected) << selection.how;
  }
}

}  // namespace
}  // namespace vostrel::win32
