// frmMain: the program's only window. The folder box, the Scan button, the
// results table and the status bar; it turns the Scan command into a run of
// the scan driver and the driver's calls into control updates.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gdi_font.h"
#include "lookup_binding.h"
#include "scan_driver.h"
#include "scan_view.h"
#include "table_text.h"
#include "table_tips.h"
#include "window_base.h"
#include "window_layout.h"

namespace vostrel::win32 {

// Control identifiers. None is IDOK or IDCANCEL: the dialog keys send those
// for Enter and Esc, and neither must start a scan.
inline constexpr int kScanButtonId = 101;
inline constexpr int kStatusBarId = 102;
inline constexpr int kFolderBoxId = 103;
inline constexpr int kTableId = 104;
inline constexpr int kCopyCommandId = 105;  // the table's context menu: Copy

class MainWindow final : public Window, public ScanView {
 public:
  // Creates frmMain and its controls and loads it (Form_Load); not yet shown.
  MainWindow(HINSTANCE instance, LookupBinding& binding);
  ~MainWindow() override;

  void Show(int showCommand);

  // The dialog keys for a message about to be dispatched (Tab order, the
  // Alt+S mnemonic). True when the message has been handled.
  bool PreTranslateMessage(MSG& message);

  // ScanView. Each does nothing once the window has been destroyed.
  std::string FolderText() override;
  void ClearRows() override;
  void AddRow(const ScanRow& row) override;
  void AddMessageRow(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void ProcessPendingEvents() override;
  void ReportProblem(ScanProblem problem, const std::string& text) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  bool CreateControls();
  void AddColumns();
  void Form_Load();
  void Form_Resize(int clientWidth, int clientHeight);
  void cmdScan_Click();
  void Place(HWND control, const layout::TwipsRect& rect) const;
  int AppendItem(const std::string& text);
  void lvStats_KeyDown(WORD key);
  void lvStats_ContextMenu(LPARAM screenPoint);
  void CopySelectedRows();
  // A cell's tooltip: its whole text, bounded, when the cell cuts it or it
  // does not fit; otherwise empty.
  std::wstring CellTip(int item, int subItem) const;

  HINSTANCE instance_;
  float dpiX_;
  float dpiY_;
  ScanDriver driver_;
  Font tableFont_;
  HWND cmdScan_ = nullptr;
  HWND sbStatusBar_ = nullptr;
  HWND txtTrhDir_ = nullptr;
  HWND lvStats_ = nullptr;
  std::vector<TableRow> rows_;  // the whole texts of lvStats's rows, in its order
  std::unique_ptr<TableTips> tips_;
  HWND focused_ = nullptr;  // the control that had the focus when the window was last deactivated
  std::optional<int> quitCode_;  // a WM_QUIT taken from the queue during a scan
};

}  // namespace vostrel::win32
