// A window's scans, as both windows run them: the Scan command, scans asked
// for while one runs, stopping, reading the texts again in another code page,
// and the rows and status a scan finds, handed to the window in batches at a
// frame rate. Knows no toolkit: the window gives it only what is its own
// (SessionWindow).
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/code_pages.h"
#include "scanner/lookup_binding.h"
#include "scanner/scan_driver.h"
#include "scanner/scan_view.h"
#include "ui/core/folder_follower.h"
#include "ui/core/mission_details.h"
#include "ui/core/result_table.h"
#include "ui/core/table_text.h"

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

// What a window does for its scan session.
class SessionWindow {
 public:
  virtual ~SessionWindow() = default;

  // The text of the folder box.
  virtual std::string FolderText() = 0;
  // Runs `call` from the window's event loop, after the handler that posts
  // it has returned; never from inside this call. Dropped with the window.
  virtual void Post(std::function<void()> call) = 0;
  // Runs `call` from the window's event loop once `delay` has passed.
  // Dropped with the window.
  virtual void PostAfter(std::chrono::milliseconds delay, std::function<void()> call) = 0;
  // Watches `folder` (native text) until StopWatching or the next call:
  // `changed` runs from the event loop after the changes the system reports
  // of the folder and of the files in it, written in place included. False
  // when the system cannot watch the folder.
  virtual bool WatchFolder(const std::string& folder, std::function<void()> changed) = 0;
  virtual void StopWatching() = 0;
  // Lets the window system deliver the events waiting for the program
  // (input, paint), then returns.
  virtual void RunPendingEvents() = 0;
  // Whether a key press or click waits: looked at between frames when the
  // pacing asks for it, so that input need not wait for the next frame.
  virtual bool InputWaiting() { return false; }

  // The session's table (ScanSession::table()) lost every row.
  virtual void TableCleared() = 0;
  // The session's table changed: the window shows it as it is now.
  virtual void TableChanged(const TableChange& change) = 0;
  // Replaces the status bar's text.
  virtual void ShowStatus(const std::string& text) = 0;
  // A scan has ended and everything it found is shown.
  virtual void ScanEnded() {}
};

// How often a scan lets the window show what it found and run its events.
struct FramePacing {
  // Rows and the status are shown, and events run (paint, input), at most this often.
  std::chrono::milliseconds frame;
  // Between frames, waiting input is looked for this often and let through
  // at once; zero: only at frames.
  std::chrono::milliseconds inputCheck{0};
  // Rows that fall below the rows in view are counted in at most this
  // often; zero: at every frame.
  std::chrono::milliseconds rowsBelowView{0};
};

class ScanSession : private ScanView {
 public:
  using Clock = std::chrono::steady_clock;

  // Of each text the table keeps what its cell shows (KeptRow), read up to
  // kTableTextBytes, so that damaged DLLs whose texts run on for megabytes
  // cannot fill the memory; a copy reads a cut row's file again. `now` is the
  // clock that paces the frames.
  ScanSession(SessionWindow& window, LookupBinding& binding, FramePacing pacing,
              std::function<Clock::time_point()> now = Clock::now);

  // The Scan command: scans the folder in the folder box now. Refused while
  // a scan runs (it reaches the window among the running scan's events).
  void Scan();
  // Scans the folder in the folder box once the window's event loop runs,
  // after stopping a running scan: for a folder put in the box from outside
  // (the command line, a drop).
  void ScanFolderBoxSoon();
  // Reads the last scanned folder again in `codePage`, after stopping a
  // running scan. A code page this system cannot decode changes nothing but
  // the status, which says why.
  void ChooseCodePage(CodePage codePage);
  // Escape: ends a running scan before its next file, its rows kept, and
  // drops a scan asked for after it; the table no longer follows its folder.
  void Stop();
  // The window closes: the same as Stop.
  void Close() { Stop(); }

  // The rows found, as the table shows them.
  const ResultTable& table() const { return table_; }
  // A click on a column's header: sorts by it, or the other way on the
  // column sorted by.
  void SortByColumn(std::size_t column);
  // Shows only the rows whose texts hold every word of `text` (ResultTable::
  // Filter); the status then says how many show.
  void Filter(std::string_view text);
  // The mission shown at `row`, read again from its file.
  MissionDetails Details(std::size_t row) const;
  // Whether the table follows the folder scanned last: after a scan that
  // was not stopped, until the next scan or Stop, where the system can watch
  // it. A DLL added, changed or removed there changes only its own row.
  bool IsFollowing() const { return follower_.following(); }

  bool IsScanning() const { return driver_.IsScanning(); }
  // The code page chosen last (it applies once a running scan has stopped).
  CodePage codePage() const { return chosenCodePage_.value_or(driver_.codePage()); }

 private:
  // A scan asked for while another runs; a later kind includes the earlier
  // (a new folder is read in the code page chosen too).
  enum class NextScan { kNone, kRescan, kFolderBox };

  void Run(const std::function<void()>& scan);
  void ScanFolderBox();
  void ScanNext(NextScan next);
  void StartNextScan();
  bool ApplyChosenCodePage();
  void ShowCollected(bool countRowsBelowView);
  // A row the table keeps cut, read again from its file for a copy: what the
  // file holds now, each text up to kFullTextBytes; none when the file cannot
  // be read or holds none of the three texts any more.
  std::optional<ScanRow> ReadWholeRow(const TableRow& row) const;
  void ApplyFolderChanges(const FolderChanges& changes);
  // Reads the files of the folder's changes for about a frame, shows what
  // they changed, and posts the rest: a burst of a thousand files leaves the
  // window answering.
  void ApplyFolderChangesForAFrame();
  void ShowFolderChangesSaid();
  void ShowChange(std::size_t rowsBefore, std::vector<std::size_t> moved, bool countRowsBelowView = true);
  // Shows a status text, with how many rows the filter lets through.
  void ShowStatus(std::string text);

  // ScanView, for the driver: rows and the status are collected and shown
  // at each frame, and whatever is left when the scan ends.
  std::string FolderText() override { return scannedFolder_ = window_.FolderText(); }
  void ClearRows() override;
  void AddRow(const ScanRow& row) override { rows_.push_back(KeptRow(row)); }
  void AddMessageRow(const std::string& text) override { rows_.push_back({{text, {}, {}, {}}, true}); }
  void SetStatus(const std::string& text) override { status_ = text; }
  void ProcessPendingEvents() override;
  void ReportProblem(ScanProblem problem, const std::string& text) override;

  SessionWindow& window_;
  LookupBinding& binding_;
  FramePacing pacing_;
  std::function<Clock::time_point()> now_;
  ScanDriver driver_;
  NextScan nextScan_ = NextScan::kNone;
  std::optional<CodePage> chosenCodePage_;  // not yet applied: a scan was running
  bool scannedOnce_ = false;                // a folder has been scanned: there is one to read again
  std::string scannedFolder_;               // the folder text of the last scan
  bool stopped_ = false;                    // the running scan was asked to stop

  ResultTable table_;
  std::vector<TableRow> rows_;         // found since the last frame
  std::optional<std::string> status_;  // set since the last frame
  std::string shownStatus_;            // the status shown last, without the filter's count
  Clock::time_point nextFrame_{};
  Clock::time_point nextInputCheck_{};
  Clock::time_point nextRowsBelowView_{};
  // The folder's changes being applied, a frame's worth at a time.
  struct Counted {
    std::size_t count = 0;
    std::string name;  // of the one, when one
    void Add(const std::string& file) {
      ++count;
      name = file;
    }
  };
  struct FolderUpdate {
    std::vector<std::string> toRead;  // native names, in the order found
    std::vector<std::string> removed;
    bool empty = false;               // the folder lists no DLL
    bool posted = false;              // the next frame's worth is posted
    Counted added, updated, removedRows;
  };
  FolderUpdate update_;
  unsigned updates_ = 0;  // a frame's worth posted for an earlier following is dropped
  FolderFollower follower_;
};

}  // namespace vostrel
