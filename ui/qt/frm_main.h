// The program's one window: a folder box, the Scan button, the results table
// and a status bar. Presentation only: the Scan command and everything it
// does belong to the scan driver, which calls back through ScanView.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "lookup_binding.h"
#include "scan_driver.h"
#include "scan_view.h"
#include "table_text.h"

class QCloseEvent;
class QEvent;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTreeWidget;

class frmMain : public QWidget, public vostrel::ScanView {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);

  // Appends one row to the results table; an empty text is an empty cell.
  // The table shows each text's one bounded line (CellText); the window keeps
  // the whole texts for tooltips and copying.
  void AddListEntry(vostrel::TableRow row);

  // ScanView
  std::string FolderText() override;
  void ClearRows() override;
  void AddRow(const vostrel::ScanRow& row) override;
  void AddMessageRow(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void ProcessPendingEvents() override;
  void ReportProblem(vostrel::ScanProblem problem, const std::string& text) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The table's tooltips.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void Form_Resize();
  void cmdScan_Click();
  void CopySelectedRows();
  // A cell's tooltip: its whole text, bounded, when the cell cuts it or it
  // does not fit; otherwise empty.
  QString CellTip(const QModelIndex& index) const;
  float DpiX() const;
  float DpiY() const;

  // Children of the window, which owns them.
  QPushButton* cmdScan;
  QStatusBar* sbStatusBar;
  QLabel* sbStatusText;
  QLineEdit* txtTrhDir;
  QTreeWidget* lvStats;

  std::vector<vostrel::TableRow> rows_;  // the whole texts of lvStats's rows, in its order

  vostrel::LookupBinding binding_;
  vostrel::ScanDriver driver_{*this, binding_};
};
