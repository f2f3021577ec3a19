// A window's scans, as both windows run them: the Scan command, scans asked
// for while one runs, stopping, reading the texts again in another code page,
// and the rows and status a scan finds, taken from the scan's thread and
// handed to the window in batches at a frame rate. Knows no toolkit: the
// window gives it its event loop (EventLoop) and what it shows (SessionView).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/background_scan.h"
#include "scanner/code_pages.h"
#include "scanner/lookup_binding.h"
#include "scanner/read_ahead.h"
#include "scanner/scan_driver.h"
#include "scanner/scan_view.h"
#include "scanner/text_decoding.h"
#include "scanner/text_encoding.h"
#include "scanner/worker_pool.h"
#include "ui/core/changed_file_reads.h"
#include "ui/core/event_loop.h"
#include "ui/core/folder_follower.h"
#include "ui/core/mission_details.h"
#include "ui/core/result_table.h"
#include "ui/core/session_view.h"
#include "ui/core/table_text.h"

namespace vostrel {

// How often a scan shows the window what it found.
struct FramePacing {
  // Rows and the status are shown at most this often (the first at once).
  std::chrono::milliseconds frame;
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
  // clock that paces the frames. Scans with `workers` (see ReadAhead).
  ScanSession(EventLoop& loop, SessionView& view, std::shared_ptr<LookupBinding> binding, FramePacing pacing,
              std::function<Clock::time_point()> now = Clock::now, std::size_t workers = DefaultScanWorkers());
  // Stops a running scan without waiting for its thread; takes back what it
  // handed the event loop.
  ~ScanSession() override;
  ScanSession(const ScanSession&) = delete;
  ScanSession& operator=(const ScanSession&) = delete;

  // The Scan command: scans the folder in the folder box, on a thread of its
  // own; what it finds is shown as the event loop runs. Refused while a scan
  // runs.
  void Scan();
  // Scans the folder in the folder box once the window's event loop runs,
  // after stopping a running scan: for a folder put in the box from outside
  // (the command line, a drop).
  void ScanFolderBoxSoon();
  // Reads the last scanned folder again in `codePage`, after stopping a
  // running scan. A code page this system cannot decode changes nothing but
  // the status, which says why.
  void ChooseCodePage(CodePage codePage);
  // Escape: ends a running scan at once, the rows it found kept and the
  // status "Scan stopped.", even while it waits for a read that hangs (the
  // file in hand gets no row); drops a scan asked for after it; the table
  // no longer follows its folder.
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
  // Copies the rows shown at these indices as `vostrel-scan` prints them,
  // one line each, handing the text to `copy`: at once when the table keeps
  // their texts whole; else once the rows it keeps cut are read again, whole
  // (each text up to kFullTextBytes), on a thread of their own, from the
  // event loop (a row whose file cannot be read any more, or holds none of
  // the three texts, is copied as kept). Only the copy asked for last is
  // handed: an earlier one whose reads end later never overwrites it. Never
  // once this session has gone.
  void CopyRows(std::vector<std::size_t> indices, std::function<void(const std::string&)> copy);
  // Reads the mission shown at `row` again from its file, on a thread of
  // its own (a file on a stalled share may take long), and hands its
  // details to `show` from the event loop; never once this session has gone.
  void ReadDetails(std::size_t row, std::function<void(const MissionDetails&)> show);
  // Whether the table follows the folder scanned last: after a scan that
  // was not stopped, until the next scan or Stop, where the system can watch
  // it. A DLL added, changed or removed there changes only its own row.
  bool IsFollowing() const { return follower_.following(); }
  // Whether files of the followed folder are being read again.
  bool IsReadingChanges() const { return reads_.Reading(); }

  bool IsScanning() const { return scan_ != nullptr; }
  // The code page chosen last (it applies once a running scan has stopped).
  CodePage codePage() const { return chosenCodePage_.value_or(decoding_->choice()); }

 private:
  // A scan asked for while another runs; a later kind includes the earlier
  // (a new folder is read in the code page chosen too).
  enum class NextScan { kNone, kRescan, kFolderBox };

  // Starts scanning `folderText` (the folder box's, as given).
  void Start(const std::string& folderText);
  void ScanNext(NextScan next);
  void StartNextScan();
  // The scan's thread found something: shown now, or at the next frame.
  void Found();
  void ShowFrame();
  void StopScan();
  // The scan has ended (or was stopped): what it found is shown, and what
  // comes after it begins.
  void EndScan();
  bool ApplyChosenCodePage();
  void ShowCollected(bool countRowsBelowView);
  void ApplyFolderChanges(const FolderChanges& changes);
  // Shows what the files of the folder's changes read so far changed, for
  // about a frame, and posts the rest: a burst of a thousand files leaves
  // the window answering.
  void ApplyFolderChangesForAFrame();
  void PostFolderChangesFrame();
  void ChangedFileArrived(const std::string& name);
  // The folder's changes not yet shown are dropped, and their reads.
  void ForgetFolderChanges();
  void ShowFolderChangesSaid();
  // The message row that says the file of that shown name cannot be read
  // (as a scan says it), if the table holds one.
  std::optional<std::string> UnreadableMessage(const std::string& shownName) const;
  void ShowChange(std::size_t rowsBefore, std::vector<std::size_t> moved, bool countRowsBelowView = true);
  // Shows a status text, with how many rows the filter lets through.
  void ShowStatus(std::string text);

  // ScanView, for what the scan's thread found (BackgroundScan::TakeFound):
  // rows and the status are collected and shown at each frame, and whatever
  // is left when the scan ends.
  std::string FolderText() override { return scannedFolder_; }
  void ClearRows() override {}
  void AddRow(const ScanRow& row) override { rows_.push_back(KeptRow(row)); }
  void AddMessageRow(const std::string& text) override { rows_.push_back({{text, {}, {}, {}}, true}); }
  void SetStatus(const std::string& text) override { status_ = text; }
  void ReportProblem(ScanProblem problem, const std::string& text) override;

  EventLoop& loop_;
  SessionView& view_;
  std::shared_ptr<LookupBinding> binding_;
  FramePacing pacing_;
  std::function<Clock::time_point()> now_;
  std::size_t workers_;
  std::shared_ptr<const TextDecoding> decoding_;  // of the texts read from now on
  NextScan nextScan_ = NextScan::kNone;
  std::optional<CodePage> chosenCodePage_;  // not yet applied: a scan was running
  bool scannedOnce_ = false;                // a folder has been scanned: there is one to read again
  std::string scannedFolder_;               // the folder text of the last scan
  bool stopped_ = false;                    // the running scan was stopped

  ResultTable table_;
  std::vector<TableRow> rows_;         // found since the last frame
  std::optional<std::string> status_;  // set since the last frame
  std::string shownStatus_;            // the status shown last, without the filter's count
  Clock::time_point nextFrame_{};
  Clock::time_point nextRowsBelowView_{};
  bool framePosted_ = false;
  PostedCalls calls_;      // the next scan, a frame's worth of a folder's changes
  PostedCalls scanCalls_;  // the running scan's notices and frames
  std::unique_ptr<BackgroundScan> scan_;  // the running scan, if any
  // The folder's changes being applied, a frame's worth at a time.
  struct Counted {
    std::size_t count = 0;
    std::string name;  // of the one, when one
    void Add(const std::string& file) {
      ++count;
      name = file;
    }
  };
  // Rows that came or went, by file name and texts: one that went and one
  // that came with the same texts in one burst is a file renamed.
  using Named = std::vector<std::pair<std::string, ScanRow>>;
  struct FolderUpdate {
    std::vector<std::string> toRead;  // native names, in the order found: shown once read
    std::vector<std::string> removed;
    bool empty = false;               // the folder lists no DLL
    bool posted = false;              // the next frame's worth is posted
    bool burstOver = false;           // nothing else is changing: what it changed is said, then forgotten
    Counted updated, removedMessages;
    Named added, removedRows;
  };
  FolderUpdate update_;
  unsigned updates_ = 0;  // a frame's worth posted for an earlier following is dropped
  Clock::time_point nextChangesFrame_{};
  ChangedFileReads reads_;
  WorkerPool rowReads_;  // the details windows' and the copies' reads
  unsigned copies_ = 0;  // the copies asked for: an earlier one is not handed
  FolderFollower follower_;
};

}  // namespace vostrel
