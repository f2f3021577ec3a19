// frmMain: the program's only window. The folder box, the Scan button, the
// results table and the status bar; it turns the Scan command into a call of
// the scan session and the session's calls into control updates. The
// session runs on the event loop's own window (EventLoopWindow).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "handle/unique_handle.h"
#include "scanner/lookup_binding.h"
#include "ui/core/scan_session.h"
#include "ui/core/session_view.h"
#include "ui/core/window_layout.h"
#include "ui/win32/column_stretch.h"
#include "ui/win32/com_apartment.h"
#include "ui/win32/details_window.h"
#include "ui/win32/event_loop_window.h"
#include "ui/win32/gdi_font.h"
#include "ui/win32/result_list_view.h"
#include "ui/win32/table_context_menu.h"
#include "ui/win32/table_tips.h"
#include "ui/win32/window_base.h"

namespace vostrel::win32 {

// Control identifiers. None is IDOK or IDCANCEL: the dialog keys send those
// for Enter, which opens the details of the table's row in focus, and Esc,
// which hides the filter box in focus or else stops a scan.
inline constexpr int kScanButtonId = 101;
inline constexpr int kStatusBarId = 102;
inline constexpr int kFolderBoxId = 103;
inline constexpr int kTableId = 104;
inline constexpr int kFilterBoxId = 106;  // shown on Ctrl+F

class MainWindow final : public Window, public SessionView {
 public:
  // Creates frmMain and its controls and loads it (Form_Load); not yet shown.
  // With a start folder (a folder, or a file meaning its folder; relative to
  // the working folder), the folder box holds it and the window scans it as
  // soon as its messages run, once it is shown.
  MainWindow(HINSTANCE instance, std::shared_ptr<LookupBinding> binding, std::wstring_view startFolder = {});
  ~MainWindow() override;

  void Show(int showCommand);

  // The keys for a message about to be dispatched: Ctrl+F, the dialog keys
  // (Tab order, the Alt+S mnemonic, Esc, Enter), and those of each details
  // window open. True when the message has been handled.
  bool PreTranslateMessage(MSG& message);

  // Whether a scan runs: from the Scan command until all it found is shown.
  bool scanning() const { return session_.IsScanning(); }

  // SessionView. Each does nothing once the window has been destroyed.
  std::string FolderText() override;
  void TableCleared() override;
  void TableChanged(const TableChange& change) override;
  void ShowStatus(const std::string& text) override;
  void ShowFollowing(const std::string& text) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  bool CreateControls();
  void AddColumns();
  void Form_Load();
  void Form_Resize(int clientWidth, int clientHeight);
  void cmdScan_Click();
  void Place(HWND control, const layout::TwipsRect& rect) const;
  void FitControls();
  void lvStats_KeyDown(WORD key);
  void lvStats_ContextMenu(LPARAM screenPoint);
  LRESULT lvStats_Notify(NMHDR& header);
  void CopySelectedRows();
  void ChooseCodePage(CodePage codePage);
  void DropFiles(HDROP drop);
  void ShowFilterBox();
  void HideFilterBox();
  void txtFilter_Change();
  // The table's row at `item`, or in focus, when it is a mission's.
  std::optional<std::size_t> MissionRow(int item) const;
  std::optional<std::size_t> FocusedMission() const;
  void OpenDetails(std::optional<std::size_t> row);

  using Accelerators = handle::UniqueHandle<handle::NullInvalid<HACCEL, ::DestroyAcceleratorTable>>;

  ComApartment com_;  // outlives the folder box's completion
  HINSTANCE instance_;
  float dpiX_;
  float dpiY_;
  EventLoopWindow loop_;
  ScanSession session_;  // after the loop: it goes first, and takes back what it handed it
  Font tableFont_;
  HWND cmdScan_ = nullptr;
  HWND sbStatusBar_ = nullptr;
  HWND txtTrhDir_ = nullptr;
  HWND lvStats_ = nullptr;
  HWND txtFilter_ = nullptr;
  bool filterShown_ = false;
  Accelerators accelerators_;  // Ctrl+F
  std::unique_ptr<ResultListView> table_;  // the rows; gone with the window
  std::unique_ptr<TableTips> tips_;
  std::unique_ptr<ColumnStretch> columnStretch_;
  std::vector<std::unique_ptr<DetailsWindow>> details_;  // open, or closed since the last one opened
};

}  // namespace vostrel::win32
