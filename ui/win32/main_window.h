// frmMain: the program's only window. The folder box, the Scan button, the
// results table and the status bar; it turns the Scan command into a run of
// the scan driver and the driver's calls into control updates.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "com_apartment.h"
#include "gdi_font.h"
#include "lookup_binding.h"
#include "result_list_view.h"
#include "scan_driver.h"
#include "scan_view.h"
#include "table_tips.h"
#include "window_base.h"
#include "window_layout.h"

namespace vostrel::win32 {

// Control identifiers. None is IDOK or IDCANCEL: the dialog keys send those
// for Enter, which does nothing, and Esc, which stops a scan.
inline constexpr int kScanButtonId = 101;
inline constexpr int kStatusBarId = 102;
inline constexpr int kFolderBoxId = 103;
inline constexpr int kTableId = 104;
// The table's context menu: Copy, and one command per code page of
// kCodePages, in its order, from kFirstCodePageCommandId.
inline constexpr int kCopyCommandId = 105;
inline constexpr int kFirstCodePageCommandId = 200;

class MainWindow final : public Window, public ScanView {
 public:
  // Creates frmMain and its controls and loads it (Form_Load); not yet shown.
  // With a start folder (a folder, or a file meaning its folder; relative to
  // the working folder), the folder box holds it and the window scans it as
  // soon as its messages run, once it is shown.
  MainWindow(HINSTANCE instance, LookupBinding& binding, std::wstring_view startFolder = {});
  ~MainWindow() override;

  void Show(int showCommand);

  // The dialog keys for a message about to be dispatched (Tab order, the
  // Alt+S mnemonic, Esc). True when the message has been handled.
  bool PreTranslateMessage(MSG& message);

  // ScanView. Each does nothing once the window has been destroyed. During a
  // scan, rows and the status are collected and shown at the frame rate.
  std::string FolderText() override;
  void ClearRows() override;
  void AddRow(const ScanRow& row) override;
  void AddMessageRow(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void ProcessPendingEvents() override;
  void ReportProblem(ScanProblem problem, const std::string& text) override;

 private:
  using Clock = std::chrono::steady_clock;
  // What runs once the scan in progress has ended (or at once, if none runs).
  enum class NextScan { kNone, kRescan, kScan };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  bool CreateControls();
  void AddColumns();
  void Form_Load();
  void Form_Resize(int clientWidth, int clientHeight);
  void cmdScan_Click();
  void Place(HWND control, const layout::TwipsRect& rect) const;
  void lvStats_KeyDown(WORD key);
  void lvStats_ContextMenu(LPARAM screenPoint);
  LRESULT lvStats_Notify(NMHDR& header);
  void CopySelectedRows();
  void ChooseCodePage(CodePage codePage);
  void DropFiles(HDROP drop);

  // Runs a scan of the driver's, then shows all it collected and passes on
  // what came up during it (a quit request, a scan asked for).
  template <class Scan>
  void RunScan(Scan scan);
  void ScheduleScan(NextScan next);
  void StartNextScan();
  // Shows the rows and status collected; rows below the rows in view only
  // with belowView.
  void ShowCollected(bool belowView = true);
  void RunMessages();

  ComApartment com_;  // outlives the folder box's completion
  HINSTANCE instance_;
  float dpiX_;
  float dpiY_;
  ScanDriver driver_;
  Font tableFont_;
  HWND cmdScan_ = nullptr;
  HWND sbStatusBar_ = nullptr;
  HWND txtTrhDir_ = nullptr;
  HWND lvStats_ = nullptr;
  std::unique_ptr<ResultListView> table_;  // the rows; gone with the window
  std::unique_ptr<TableTips> tips_;
  std::optional<std::string> status_;  // a status text not yet shown
  Clock::time_point nextFrame_{};       // when a scan next shows its rows and status and paints
  Clock::time_point nextInputCheck_{};  // when a scan next looks for input between frames
  Clock::time_point nextScrollBar_{};   // when a scan next counts in rows below the rows in view
  HWND focused_ = nullptr;  // the control that had the focus when the window was last deactivated
  std::optional<int> quitCode_;  // a WM_QUIT taken from the queue during a scan
  NextScan nextScan_ = NextScan::kNone;
};

}  // namespace vostrel::win32
