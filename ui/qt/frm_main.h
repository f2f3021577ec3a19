// The program's one window: a folder box, the Scan button, the results table
// and a status bar. Presentation only: the Scan command and everything it
// does belong to the scan session, which runs on the window's event loop
// (QtEventLoop) and shows what it finds through SessionView.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "scanner/code_pages.h"
#include "scanner/lookup_binding.h"
#include "ui/core/scan_session.h"
#include "ui/core/session_view.h"
#include "ui/core/table_text.h"
#include "ui/qt/folder_path.h"
#include "ui/qt/qt_event_loop.h"

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QEvent;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTreeView;
class ResultTableModel;

class frmMain : public QWidget, private vostrel::SessionView {
  Q_OBJECT

 public:
  // Binds the lookup library as the platform finds it.
  explicit frmMain(QWidget* parent = nullptr);
  // During a scan the window shows what was found at most this often: 40
  // frames a second. Its events run as ever: the scan has a thread of its own.
  static constexpr vostrel::FramePacing kScanPacing{std::chrono::milliseconds(25)};

  // Looks for the lookup library under these names or paths, in order; a
  // scan paces its frames as asked.
  explicit frmMain(std::vector<std::string> lookupLibraries, QWidget* parent = nullptr,
                   vostrel::FramePacing scanPacing = kScanPacing);
  ~frmMain() override;

  // Puts a folder in the folder box and scans it, once the window's event
  // loop runs and a running scan has stopped.
  void OpenFolder(const NamedFolder& folder);
  // Whether a scan runs: from the Scan command until all it found is shown.
  bool scanning() const { return session_.IsScanning(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The filter box's Escape.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // SessionView.
  std::string FolderText() override;
  void TableCleared() override;
  void TableChanged(const vostrel::TableChange& change) override;
  void ShowStatus(const std::string& text) override;
  void ShowFollowing(const std::string& text) override;

  // Spans the message rows added since the last change across the table, so
  // that each reads whole; message rows come first.
  void SpanMessageRows();
  void ShowFolder(const NamedFolder& folder);
  void SetUpTable();
  void SetUpTableMenu();
  void SetUpFilter();
  void ShowFilter();
  void HideFilter();
  void OpenDetails(const QModelIndex& index);
  void Form_Load();
  void Form_Resize();
  void cmdScan_Click();
  void CopySelectedRows();
  void SortByColumn(int column);

  float DpiX() const;
  float DpiY() const;

  // Children of the window, which owns them.
  QPushButton* cmdScan;
  QStatusBar* sbStatusBar;
  QLabel* sbStatusText;
  QLabel* sbFollowText;
  QLineEdit* txtTrhDir;
  QTreeView* lvStats;
  QLineEdit* txtFilter;  // under the table, when asked for
  ResultTableModel* rows_;  // the rows lvStats shows, with their whole texts
  int spannedRows_ = 0;     // the message rows at the top that span the table
  // The folder last put in the box from outside, by its exact name: scanned
  // by it as long as the box shows it unedited.
  NamedFolder boxFolder_;

  QtEventLoop loop_;
  vostrel::ScanSession session_;  // last: it goes first, and takes back what it handed the loop
};
