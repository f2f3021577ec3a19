// The window operations the scan driver needs. Every text is UTF-8.
#pragma once

#include <string>

namespace vostrel {

// One row of the results table.
struct ScanRow {
  std::string dllName;
  std::string mapName;
  std::string techName;
  std::string levelDesc;

  bool operator==(const ScanRow&) const = default;
};

// What went wrong that a scan went on past.
enum class ScanProblem {
  kFolderUnreadable,   // the folder cannot be listed: the scan finds no DLLs
  kLookupUnavailable,  // the lookup library cannot be loaded: no texts are found
  kFileUnreadable,     // a file listed cannot be opened: it has no row
};

class ScanView {
 public:
  virtual ~ScanView() = default;

  // The current text of the folder box.
  virtual std::string FolderText() = 0;
  // Removes every row of the results table.
  virtual void ClearRows() = 0;
  // Appends a row of four texts.
  virtual void AddRow(const ScanRow& row) = 0;
  // Appends a row whose first column holds the text and whose others are empty.
  virtual void AddMessageRow(const std::string& text) = 0;
  // Replaces the text of the status bar: "Scanning NAME..." before each
  // file's row, then how the scan ended.
  virtual void SetStatus(const std::string& text) = 0;
  // The status that names the file whose row comes next ("Scanning NAME..."):
  // a status like the others, unless the view shows it otherwise (a
  // terminal's one line that each file overwrites).
  virtual void SetFileInHandStatus(const std::string& text) { SetStatus(text); }
  // A problem the scan goes on past, said at most once per scan and kind,
  // but kFileUnreadable once for each such file, when its turn comes: the
  // text says what and why, in a sentence.
  virtual void ReportProblem(ScanProblem problem, const std::string& text) = 0;
};

}  // namespace vostrel
