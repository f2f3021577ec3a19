#include "ui/console/console_view.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ostream>
#include <system_error>
#include <string_view>
#include <utility>

#include "i18n/system_reason.h"
#include "i18n/translation.h"
#include "ui/core/table_text.h"

namespace vostrel {

ConsoleView::ConsoleView(std::string folder, RecordWriter& rows, std::ostream& status, Progress progress)
    : folder_(std::move(folder)), rows_(rows), status_(status), progress_(progress) {}

void ConsoleView::AddRow(const ScanRow& row) {
  EndProgressLine();
  const std::array<std::string_view, 4> fields{row.dllName, row.mapName, row.techName, row.levelDesc};
  rows_.Record(fields);
  CheckWritten();
}

void ConsoleView::AddMessageRow(const std::string& text) {
  EndProgressLine();
  rows_.Message(text);
  CheckWritten();
}

// Standard error is tied to the rows' stream: before a status line is
// written, the rows waiting are flushed. Done here, so that a write that
// fails is seen while errno still holds its reason.
void ConsoleView::FlushRows() {
  if (rowsOut_ == nullptr || writeFailed_) return;
  rowsOut_->flush();
  CheckWritten();
}

// Looked at right after a write, while errno still holds the reason it failed.
void ConsoleView::CheckWritten() {
  if (rowsOut_ == nullptr || writeFailed_ || rowsOut_->good()) return;
  const int error = errno;
  writeFailed_ = true;
  Say(CannotWriteMessage(error));
  exitStatus_ = std::max(exitStatus_, 1);
  if (stop_) stop_();
}

std::string CannotWriteMessage(int error) {
  if (error == 0) return Translated("cannot write the output");
  return Translated("cannot write the output: {reason}", {{"reason", SystemReason(error)}});
}

// On a terminal the rows appear where the cursor is: after the "Scanning ..."
// line unless that line is taken away first.
void ConsoleView::EndProgressLine() {
  if (!progressShown_) return;
  status_ << "\r\x1b[K";
  status_.flush();
  progressShown_ = false;
}

void ConsoleView::ReportProblem(ScanProblem problem, const std::string& text) {
  Say(text);
  // A missing library outweighs a folder or a file that cannot be read.
  exitStatus_ = std::max(exitStatus_, problem == ScanProblem::kLookupUnavailable ? 3 : 1);
}

void ConsoleView::Say(const std::string& text) {
  FlushRows();
  EndProgressLine();
  status_ << "vostrel-scan: " << EscapeMessage(text) << '\n';
}

void ConsoleView::SetStatus(const std::string& text) { ShowStatus(text, false); }

void ConsoleView::SetFileInHandStatus(const std::string& text) { ShowStatus(text, true); }

void ConsoleView::ShowStatus(const std::string& text, bool fileInHand) {
  // A log keeps what went wrong and how the scan ended, not a line per file.
  if (fileInHand && progress_ == Progress::kNone) return;
  FlushRows();
  // On a terminal the "Scanning ..." lines overwrite each other; the last
  // status always stands on a line of its own.
  const bool transient = fileInHand && progress_ == Progress::kRewrittenLine;
  if (progressShown_) status_ << "\r\x1b[K";
  status_ << EscapeMessage(text);
  if (transient) {
    status_.flush();
  } else {
    status_ << '\n';
  }
  progressShown_ = transient;
}

}  // namespace vostrel
