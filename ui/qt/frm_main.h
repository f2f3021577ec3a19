// The program's one window: a folder box, the Scan button, the results table
// and a status bar. Presentation only: the Scan command and everything it
// does belong to the scan session, which calls back through SessionWindow.
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "scanner/code_pages.h"
#include "scanner/lookup_binding.h"
#include "ui/core/scan_session.h"
#include "ui/core/table_text.h"
#include "ui/qt/folder_path.h"

class QActionGroup;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QEvent;
class FolderWatch;
class QLabel;
class QLineEdit;
class QMimeData;
class QModelIndex;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTreeView;
class ResultTableModel;

class frmMain : public QWidget, private vostrel::SessionWindow {
  Q_OBJECT

 public:
  // Binds the lookup library as the platform finds it.
  explicit frmMain(QWidget* parent = nullptr);
  // During a scan the window shows what it found and lets its events run, and
  // so paints and takes input, at most this often: 40 frames a second, while a
  // key or click waits at most this long (and one file's lookups).
  static constexpr vostrel::FramePacing kScanPacing{std::chrono::milliseconds(25)};

  // Looks for the lookup library under these names or paths, in order; a
  // scan paces its frames as asked.
  explicit frmMain(std::vector<std::string> lookupLibraries, QWidget* parent = nullptr,
                   vostrel::FramePacing scanPacing = kScanPacing);
  ~frmMain() override;

  // Puts a folder in the folder box and scans it, once the window's event
  // loop runs and a running scan has stopped.
  void OpenFolder(const NamedFolder& folder);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The table's tooltips.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // SessionWindow.
  std::string FolderText() override;
  void Post(std::function<void()> call) override;
  void PostAfter(std::chrono::milliseconds delay, std::function<void()> call) override;
  void RunPendingEvents() override;
  bool WatchFolder(const std::string& folder, std::function<void()> changed) override;
  void StopWatching() override;
  void TableCleared() override;
  void TableChanged(const vostrel::TableChange& change) override;
  void ShowStatus(const std::string& text) override;

  // Spans the message rows added since the last change across the table, so
  // that each reads whole; message rows come first.
  void SpanMessageRows();
  void ShowFolder(const NamedFolder& folder);
  void SetUpFolderCompletion();
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
  void ChooseCodePage(vostrel::CodePage codePage);
  void CheckCodePage(vostrel::CodePage codePage);

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
  QLineEdit* txtFilter;  // under the table, when asked for
  ResultTableModel* rows_;  // the rows lvStats shows, with their whole texts
  int spannedRows_ = 0;     // the message rows at the top that span the table
  QActionGroup* codePages_;
  FolderWatch* watch_;  // the folder followed
  // The folder last put in the box from outside, by its exact name: scanned
  // by it as long as the box shows it unedited.
  NamedFolder boxFolder_;

  vostrel::LookupBinding binding_;
  vostrel::ScanSession session_;
};
