// What a window shows of its scan session: the folder box's text, the table
// (the session's own ResultTable, which the window shows as it changes) and
// the status bar. The other half of what a window gives the session is its
// event loop (event_loop.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vostrel {

// How the rows of the session's table changed since the window last heard.
struct TableChange {
  // The rows the table showed before.
  std::size_t rowsBefore = 0;
  // Where each of them shows now (ResultTable::kGone: no longer). Empty: they
  // kept their places, and the rows added came after them.
  std::vector<std::size_t> moved;
  // False: the window may leave rows added below the rows in view uncounted
  // until a later change.
  bool countRowsBelowView = true;
};

class SessionView {
 public:
  virtual ~SessionView() = default;

  // The text of the folder box.
  virtual std::string FolderText() = 0;
  // The session's table (ScanSession::table()) lost every row.
  virtual void TableCleared() = 0;
  // The session's table changed: the window shows it as it is now.
  virtual void TableChanged(const TableChange& change) = 0;
  // Replaces the status bar's text.
  virtual void ShowStatus(const std::string& text) = 0;
  // Replaces the text that says whether the table follows its folder, shown
  // apart from the status (the right-hand part of the status bar), so that
  // the status a scan leaves stays as it is. Empty: nothing to say.
  virtual void ShowFollowing(const std::string& text) = 0;
  // A scan has ended and everything it found is shown.
  virtual void ScanEnded() {}
};

}  // namespace vostrel
