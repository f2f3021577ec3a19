// The program's one window: a folder box, the Scan button, the results table
// and a status bar. Presentation only: the Scan command and everything it
// does belong to the scan driver, which calls back through ScanView.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "code_pages.h"
#include "lookup_binding.h"
#include "scan_driver.h"
#include "scan_view.h"
#include "table_text.h"

class QActionGroup;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QEvent;
class QLabel;
class QLineEdit;
class QMimeData;
class QModelIndex;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTreeView;
class ResultTableModel;

class frmMain : public QWidget, public vostrel::ScanView {
  Q_OBJECT

 public:
  // Binds the lookup library as the platform finds it.
  explicit frmMain(QWidget* parent = nullptr);
  // Looks for the lookup library under these names or paths, in order.
  explicit frmMain(std::vector<std::string> lookupLibraries, QWidget* parent = nullptr);

  // Puts a folder in the folder box and scans it, once the window's event
  // loop runs and a running scan has stopped.
  void OpenFolder(const QString& folder);

  // ScanView. During a scan, rows and the status are collected and shown at
  // each event pass, and whatever is left when the scan ends.
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
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The table's tooltips.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The scan that follows the running one, if any; a later kind includes
  // the earlier (the folder box's scan reads in the code page chosen too).
  enum class NextScan { kNone, kRescan, kFolderBox };

  void SetUpFolderCompletion();
  void SetUpTable();
  void SetUpTableMenu();
  void Form_Load();
  void Form_Resize();
  void cmdScan_Click();
  void CopySelectedRows();
  void SortByColumn(int column);
  void ChooseCodePage(vostrel::CodePage codePage);
  void CheckCodePage(vostrel::CodePage codePage);

  // Runs a scan of the driver's; afterwards shows what it left and queues
  // the scan asked for meanwhile.
  template <class Scan>
  void RunScan(Scan&& scan);
  // Asks for a scan after the running one, which is stopped, or at once.
  void ScanNext(NextScan next);
  void StartNextScan();
  // Hands the rows and the status collected since the last event pass to
  // the table and the status bar.
  void ShowCollected();

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
  QTreeView* lvStats;
  ResultTableModel* rows_;  // the rows lvStats shows, with their whole texts
  QActionGroup* codePages_;

  std::vector<vostrel::TableRow> collectedRows_;
  std::optional<std::string> collectedStatus_;
  QElapsedTimer sinceEventPass_;
  NextScan nextScan_ = NextScan::kNone;

  vostrel::LookupBinding binding_;
  // Each text is kept up to kKeptTextBytes, so that damaged DLLs whose texts
  // run on for megabytes cannot fill the memory.
  vostrel::ScanDriver driver_{*this, binding_, vostrel::DefaultCodePage(), vostrel::kKeptTextBytes};
};
