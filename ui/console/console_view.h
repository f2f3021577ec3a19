// The scan's view on a terminal: the rows on standard output, written by a
// record writer (tab-separated lines, JSON or CSV); status messages and
// problems on standard error, escaped (table_text.h) so that nothing the
// files hold reaches the terminal as a control character.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

#include "scanner/scan_view.h"
#include "ui/console/record_writer.h"

namespace vostrel {

// How standard error shows the file in hand ("Scanning NAME...").
enum class Progress {
  kNone,           // not a terminal (a log): problems and the last status only
  kLinePerFile,    // a console that cannot take back a line
  kRewrittenLine,  // a terminal: one line, overwritten by each file's
};

class ConsoleView : public ScanView {
 public:
  ConsoleView(std::string folder, RecordWriter& rows, std::ostream& status, Progress progress);

  // From now on, the first row that `out` (the rows' stream) fails to take
  // is said, with the system's reason, and calls `stop`: a full disk or a
  // closed pipe reads no more files.
  void StopOnFailedWrite(std::ostream& out, std::function<void()> stop) {
    rowsOut_ = &out;
    stop_ = std::move(stop);
  }
  bool WriteFailed() const { return writeFailed_; }

  std::string FolderText() override { return folder_; }
  void ClearRows() override {}
  void AddRow(const ScanRow& row) override;
  void AddMessageRow(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void SetFileInHandStatus(const std::string& text) override;
  // Said on standard error, after the program's name.
  void ReportProblem(ScanProblem problem, const std::string& text) override;

  // The program's exit status for the scan: 0, or 1 when the folder could
  // not be listed, a file could not be read or the rows not written, 3 when
  // the lookup library could not be loaded (whatever else went wrong).
  int ExitStatus() const { return exitStatus_; }

 private:
  void EndProgressLine();
  void FlushRows();
  void CheckWritten();
  void Say(const std::string& text);  // a problem, after the program's name
  void ShowStatus(const std::string& text, bool fileInHand);

  std::string folder_;
  RecordWriter& rows_;
  std::ostream& status_;
  Progress progress_;
  std::function<void()> stop_;
  std::ostream* rowsOut_ = nullptr;  // watched for a failed write; not owned
  bool writeFailed_ = false;
  bool progressShown_ = false;
  int exitStatus_ = 0;
};

// What vostrel-scan says when its output cannot be written, with the
// system's reason for `error` (an errno value; 0: none known).
std::string CannotWriteMessage(int error);

}  // namespace vostrel
