#include "console_view.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <string_view>
#include <utility>

#include "table_text.h"

namespace vostrel {

ConsoleView::ConsoleView(std::string folder, RecordWriter& rows, std::ostream& status, Progress progress)
    : folder_(std::move(folder)), rows_(rows), status_(status), progress_(progress) {}

void ConsoleView::StopOnInterrupt(std::function<bool()> interrupted, std::function<void()> stop) {
  interrupted_ = std::move(interrupted);
  stop_ = std::move(stop);
}

void ConsoleView::AddRow(const ScanRow& row) {
  EndProgressLine();
  const std::array<std::string_view, 4> fields{row.dllName, row.mapName, row.techName, row.levelDesc};
  rows_.Record(fields);
}

void ConsoleView::AddMessageRow(const std::string& text) {
  EndProgressLine();
  rows_.Message(text);
}

void ConsoleView::ProcessPendingEvents() {
  if (interrupted_ && stop_ && interrupted_()) stop_();
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
  EndProgressLine();
  status_ << "vostrel-scan: " << EscapeMessage(text) << '\n';
  // A missing library outweighs a folder or a file that cannot be read.
  exitStatus_ = std::max(exitStatus_, problem == ScanProblem::kLookupUnavailable ? 3 : 1);
}

void ConsoleView::SetStatus(const std::string& text) {
  const bool fileInHand = text.starts_with("Scanning ");
  // A log keeps what went wrong and how the scan ended, not a line per file.
  if (fileInHand && progress_ == Progress::kNone) return;
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
