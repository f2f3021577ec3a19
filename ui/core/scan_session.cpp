#include "ui/core/scan_session.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "i18n/translation.h"
#include "scanner/dll_listing.h"
#include "scanner/text_reader.h"
#include "ui/core/window_layout.h"

namespace vostrel {
namespace {

// How many missions the filter lets through: "12 of 340 missions shown."
std::string FilterCount(std::size_t shown, std::size_t all) {
  return TranslatedCount("{shown} of {count} mission shown.", "{shown} of {count} missions shown.", all,
                         {{"shown", std::to_string(shown)}});
}

// The right-hand part of the status bar once the table no longer follows its folder.
std::string StoppedFollowing(const std::string& reason) {
  return Translated("Stopped following: {reason}", {{"reason", reason}});
}

// Details windows opened and copies made at once, each read on a thread of
// its own: one whose file hangs holds up no other.
constexpr std::size_t kRowReaders = 4;

// A row the table keeps cut, read again from its file in `folder` (native)
// for a copy: what the file holds now, each text up to kFullTextBytes; none
// when the file cannot be read or holds none of the three texts any more.
std::optional<ScanRow> ReadWholeRow(LookupBinding& binding, const TextDecoding& decoding, const std::string& folder,
                                    const TableRow& row) {
  try {
    std::optional<ScanRow> whole =
        ReadMissionRow(binding, JoinPath(folder, Utf8ToNative(row.texts.dllName)), decoding, kFullTextBytes);
    if (whole) whole->dllName = row.texts.dllName;
    return whole;
  } catch (const std::exception&) {
    return std::nullopt;  // gone, locked, or too large to hold: the copy gives the row as kept
  }
}

bool HasWords(std::string_view text) { return text.find_first_not_of(" \t\r\n\f\v") != std::string_view::npos; }

}  // namespace

ScanSession::ScanSession(EventLoop& loop, SessionView& view, std::shared_ptr<LookupBinding> binding,
                         FramePacing pacing, std::function<Clock::time_point()> now, std::size_t workers)
    : loop_(loop),
      view_(view),
      binding_(std::move(binding)),
      pacing_(pacing),
      now_(std::move(now)),
      workers_(workers),
      decoding_(std::make_shared<const TextDecoding>(DefaultCodePage())),
      shownStatus_(Translated(layout::kReadyStatus)),
      calls_(loop),
      scanCalls_(loop),
      reads_(loop, workers, [this](const std::string& name) { ChangedFileArrived(name); }),
      rowReads_(kRowReaders, [&loop](WorkerPool::Call call) { loop.Post(std::move(call)); }),
      follower_(loop, [this](const FolderChanges& changes) { ApplyFolderChanges(changes); }) {
}

// The scan's thread may be held in a read that hangs: it is let go, not waited for.
ScanSession::~ScanSession() { scan_.reset(); }

void ScanSession::Scan() {
  if (!IsScanning()) Start(view_.FolderText());
}

void ScanSession::ScanFolderBoxSoon() { ScanNext(NextScan::kFolderBox); }

void ScanSession::ChooseCodePage(CodePage codePage) {
  if (codePage == this->codePage()) return;
  chosenCodePage_ = codePage;
  // A running scan goes on reading in the code page it began with until it
  // has stopped; the code page changes between scans. Before the first scan
  // there is nothing to read again.
  if (IsScanning()) {
    ScanNext(NextScan::kRescan);
  } else if (ApplyChosenCodePage() && scannedOnce_) {
    ScanNext(NextScan::kRescan);
  }
}

void ScanSession::Stop() {
  nextScan_ = NextScan::kNone;
  if (follower_.following()) view_.ShowFollowing(StoppedFollowing(Translated("stopped with Escape")));
  follower_.Stop();
  ForgetFolderChanges();
  if (IsScanning()) StopScan();
}

// What the scan's thread found before the stop is shown, then "Scan
// stopped.", at once: nothing it finds after.
void ScanSession::StopScan() {
  scan_->TakeFound(*this);
  scan_->Stop();
  scan_->TakeFound(*this);
  stopped_ = true;
  EndScan();
}

void ScanSession::Start(const std::string& folderText) {
  scannedOnce_ = true;
  scannedFolder_ = folderText;
  follower_.Stop();
  view_.ShowFollowing({});
  ForgetFolderChanges();
  stopped_ = false;
  rows_.clear();
  status_.reset();
  table_.Clear();
  view_.TableCleared();
  // The first thing found shows at once.
  nextFrame_ = nextRowsBelowView_ = Clock::time_point{};
  // A notice from the scan's thread comes through the event loop, as long as
  // this scan runs.
  scan_ = std::make_unique<BackgroundScan>(
      binding_, BackgroundScan::Settings{folderText, decoding_->choice(), kTableTextBytes, workers_},
      [&loop = loop_, found = scanCalls_.Guarded([this] { Found(); })] { loop.Post(found); });
}

void ScanSession::Found() {
  if (!IsScanning() || framePosted_) return;
  const Clock::time_point now = now_();
  if (now >= nextFrame_) {
    ShowFrame();
    return;
  }
  framePosted_ = true;
  scanCalls_.PostAfter(std::chrono::ceil<std::chrono::milliseconds>(nextFrame_ - now), [this] {
    framePosted_ = false;
    ShowFrame();
  });
}

// At most once a frame the window shows what was found, so that it paints
// and counts its rows at a frame rate rather than after every file.
void ScanSession::ShowFrame() {
  if (scan_->TakeFound(*this)) {
    EndScan();
    return;
  }
  const Clock::time_point now = now_();
  const bool rowsBelowViewDue = now >= nextRowsBelowView_;
  if (rowsBelowViewDue) nextRowsBelowView_ = now + pacing_.rowsBelowView;
  ShowCollected(rowsBelowViewDue);
  nextFrame_ = now_() + pacing_.frame;
}

void ScanSession::EndScan() {
  scan_.reset();
  scanCalls_.Cancel();
  framePosted_ = false;
  try {
    ShowCollected(true);
  } catch (const std::exception&) {
    // Out of memory: what is shown stays.
  }
  if (!ApplyChosenCodePage() && nextScan_ == NextScan::kRescan) nextScan_ = NextScan::kNone;
  // The table follows its folder from now on, unless the scan was stopped
  // or another follows.
  if (!stopped_ && nextScan_ == NextScan::kNone) {
    switch (follower_.Start(Utf8ToNative(scannedFolder_))) {
      case FolderFollower::Started::kFollowing:
        view_.ShowFollowing(Translated("Following the folder"));
        break;
      case FolderFollower::Started::kCannotWatch:
        view_.ShowFollowing(Translated("Not following: the system cannot watch this folder"));
        break;
      case FolderFollower::Started::kCannotList:
        break;  // the table says why
    }
  }
  view_.ScanEnded();
  if (nextScan_ != NextScan::kNone) calls_.Post([this] { StartNextScan(); });
}

// A scan asked for while one runs stops that one and follows it.
void ScanSession::ScanNext(NextScan next) {
  const NextScan before = nextScan_;
  nextScan_ = std::max(nextScan_, next);
  if (IsScanning()) {
    StopScan();  // its end posts the next scan
  } else if (before == NextScan::kNone) {
    calls_.Post([this] { StartNextScan(); });
  }
}

void ScanSession::StartNextScan() {
  // Already started, or dropped (Escape); one the user started meanwhile
  // runs first, and its end posts this one again.
  if (nextScan_ == NextScan::kNone || IsScanning()) return;
  const NextScan next = std::exchange(nextScan_, NextScan::kNone);
  Start(next == NextScan::kRescan ? scannedFolder_ : view_.FolderText());
}

// Takes the chosen code page for the texts read from now on; one this system
// cannot decode is dropped, and the status says why. False then.
bool ScanSession::ApplyChosenCodePage() {
  if (!chosenCodePage_) return true;
  const CodePage codePage = *std::exchange(chosenCodePage_, std::nullopt);
  try {
    decoding_ = std::make_shared<const TextDecoding>(codePage);
    return true;
  } catch (const std::invalid_argument& error) {
    ShowStatus(Translated("Cannot read texts in code page {number}: {reason}",
                          {{"number", std::to_string(codePage)}, {"reason", error.what()}}));
    return false;
  }
}

void ScanSession::ShowCollected(bool countRowsBelowView) {
  if (!rows_.empty()) {
    const std::size_t rowsBefore = table_.size();
    table_.Append(std::exchange(rows_, {}));
    ShowChange(rowsBefore, table_.InOrder() ? std::vector<std::size_t>() : table_.Order(), countRowsBelowView);
    if (!status_ && HasWords(table_.filter())) status_ = shownStatus_;  // the count goes on
  } else if (countRowsBelowView) {
    ShowChange(table_.size(), {});
  }
  if (status_) ShowStatus(*std::exchange(status_, std::nullopt));
}

void ScanSession::ShowChange(std::size_t rowsBefore, std::vector<std::size_t> moved, bool countRowsBelowView) {
  view_.TableChanged({rowsBefore, std::move(moved), countRowsBelowView});
}

void ScanSession::ShowStatus(std::string text) {
  shownStatus_ = std::move(text);
  if (!HasWords(table_.filter())) {
    view_.ShowStatus(shownStatus_);
    return;
  }
  const std::string count = FilterCount(table_.ShownMissionCount(), table_.MissionCount());
  view_.ShowStatus(shownStatus_.empty() ? count : shownStatus_ + " " + count);
}

void ScanSession::SortByColumn(std::size_t column) {
  const std::size_t rowsBefore = table_.size();
  table_.SortBy(table_.ClickedSort(column));
  ShowChange(rowsBefore, table_.Order());
}

void ScanSession::Filter(std::string_view text) {
  const std::size_t rowsBefore = table_.size();
  std::vector<std::size_t> moved = table_.Filter(text);
  ShowChange(rowsBefore, std::move(moved));
  ShowStatus(shownStatus_);
}

void ScanSession::CopyRows(std::vector<std::size_t> indices, std::function<void(const std::string&)> copy) {
  std::vector<TableRow> rows = table_.RowsShownAt(std::move(indices));
  const unsigned number = ++copies_;
  if (std::none_of(rows.begin(), rows.end(), [](const TableRow& row) { return row.cut; })) {
    std::string lines;
    for (const TableRow& row : rows) lines += row.Line();
    copy(lines);
    return;
  }
  auto copied = calls_.Guarded([this, number, copy = std::move(copy)](const std::string& lines) {
    if (number == copies_) copy(lines);  // no later copy was asked for
  });
  rowReads_.Run([rows = std::move(rows), binding = binding_, decoding = decoding_,
                 folder = Utf8ToNative(scannedFolder_), copied = std::move(copied)] {
    std::string lines;
    for (const TableRow& row : rows) {
      std::optional<ScanRow> whole;
      if (row.cut) whole = ReadWholeRow(*binding, *decoding, folder, row);
      lines += whole ? RowLine(*whole) : row.Line();
    }
    return WorkerPool::Call([copied, lines = std::move(lines)] { copied(lines); });
  });
}

void ScanSession::ReadDetails(std::size_t row, std::function<void(const MissionDetails&)> show) {
  rowReads_.Run([binding = binding_, decoding = decoding_, folder = scannedFolder_,
                 file = table_.Row(row).texts.dllName, shown = calls_.Guarded(std::move(show))] {
    return WorkerPool::Call([shown, details = ReadMissionDetails(*binding, folder, file, *decoding)] { shown(details); });
  });
}

void ScanSession::ApplyFolderChanges(const FolderChanges& changes) {
  if (changes.folderGone) {
    ForgetFolderChanges();
    ShowStatus(Translated("The folder {folder} cannot be read any more; the table no longer follows it.",
                          {{"folder", scannedFolder_}}));
    view_.ShowFollowing(StoppedFollowing(changes.folderRemoved ? Translated("the folder was deleted, renamed or unmounted")
                                                               : Translated("the folder cannot be read")));
    return;
  }
  // A file still changing is read ahead, while the follower waits for it to
  // settle: a burst is shown as soon as it has. What the file holds by then
  // counts: a change after this read is named again, and read again.
  const std::string folder = Utf8ToNative(scannedFolder_);
  for (const std::string& name : changes.changing) reads_.Read(binding_, decoding_, folder, name);
  if (changes.settled.empty() && changes.removed.empty()) return;
  for (const std::string& name : changes.settled) {
    std::erase(update_.removed, name);
    if (std::find(update_.toRead.begin(), update_.toRead.end(), name) == update_.toRead.end()) {
      update_.toRead.push_back(name);
    }
    if (!reads_.Asked(name)) reads_.Read(binding_, decoding_, folder, name);
  }
  for (const std::string& name : changes.removed) {
    std::erase(update_.toRead, name);
    reads_.Forget(name);
    update_.removed.push_back(name);
  }
  update_.empty = changes.empty;
  update_.burstOver = changes.quiet;
  if (!update_.posted) ApplyFolderChangesForAFrame();
}

void ScanSession::ChangedFileArrived(const std::string& name) {
  if (update_.posted || std::find(update_.toRead.begin(), update_.toRead.end(), name) == update_.toRead.end()) return;
  PostFolderChangesFrame();
}

// At most once a frame: the window counts its rows and repaints once a
// frame, however the reads come in.
void ScanSession::PostFolderChangesFrame() {
  update_.posted = true;
  const unsigned updates = updates_;
  const auto apply = [this, updates] {
    if (updates == updates_) ApplyFolderChangesForAFrame();
  };
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextChangesFrame_ - now_());
  if (wait.count() > 0) {
    calls_.PostAfter(wait, apply);
  } else {
    calls_.Post(apply);
  }
}

void ScanSession::ForgetFolderChanges() {
  update_ = {};
  ++updates_;
  reads_.Clear();
}

void ScanSession::ApplyFolderChangesForAFrame() {
  update_.posted = false;
  // The rows' moves are gathered and shown as one change: for a burst of a
  // thousand files the window counts its rows and repaints once a frame,
  // not once a file.
  const std::size_t rowsBefore = table_.size();
  std::vector<std::size_t> moved(rowsBefore);
  std::iota(moved.begin(), moved.end(), std::size_t{0});
  bool tableChanged = false;
  const auto change = [&](auto&& edit) {
    const std::vector<std::size_t> step = edit();
    tableChanged = true;
    if (step.empty()) return;  // the rows kept their places
    for (std::size_t& to : moved) {
      if (to != ResultTable::kGone) to = step[to];
    }
  };
  // A file's message row follows it as its mission row does: said while it
  // cannot be read, gone once it can, or once it is gone.
  const auto dropMessage = [&](const std::string& shownName) {
    const std::optional<std::string> message = UnreadableMessage(shownName);
    if (message) change([&] { return table_.RemoveMessage(*message); });
    return message.has_value();
  };
  for (const std::string& name : std::exchange(update_.removed, {})) {
    const std::string shownName = NativeToUtf8(name);
    const bool said = dropMessage(shownName);
    if (const TableRow* gone = table_.Mission(shownName)) {
      update_.removedRows.emplace_back(shownName, gone->texts);
      change([&] { return table_.Remove(shownName); });
    } else if (said) {
      update_.removedMessages.Add(shownName);
    }
  }
  const Clock::time_point frameStart = now_();
  const Clock::time_point frameEnd = frameStart + std::max(pacing_.frame, std::chrono::milliseconds(10));
  nextChangesFrame_ = frameStart + pacing_.frame;
  // The files read so far, in the order found; those still being read stay.
  std::vector<std::string> waiting;
  std::size_t at = 0;
  bool outOfTime = false;
  for (; at < update_.toRead.size() && !outOfTime; ++at) {
    std::string& name = update_.toRead[at];
    std::optional<ChangedFileRead> read = reads_.Take(name);
    if (!read) {
      waiting.push_back(std::move(name));
      continue;
    }
    outOfTime = now_() >= frameEnd;
    std::optional<ScanRow>& row = read->row;
    const std::string shownName = NativeToUtf8(name);
    if (read->unreadable) {
      // A file new to the table may still be held by its writer (a copy
      // that locks it): said only once the tries again are spent. One
      // the table shows is said at once (its permissions taken away).
      const bool retried = follower_.RetryLater(name);  // locked, or gone again
      if (retried && !table_.Holds(shownName) && !UnreadableMessage(shownName)) continue;
      const std::string said = Translated("Cannot read {file}: {reason}", {{"file", shownName}, {"reason", *read->unreadable}});
      if (UnreadableMessage(shownName) == said) continue;
      dropMessage(shownName);
      change([&] {
        table_.Append({{{said, {}, {}, {}}, true}});
        return table_.Order();
      });
      if (table_.Holds(shownName)) change([&] { return table_.Remove(shownName); });
      update_.updated.Add(shownName);
      continue;
    }
    const bool wasSaid = dropMessage(shownName);
    const bool held = table_.Holds(shownName);
    if (row) {
      change([&] { return table_.Put(KeptRow(std::move(*row))); });
      if (held || wasSaid) {
        update_.updated.Add(shownName);
      } else {
        update_.added.emplace_back(shownName, table_.Mission(shownName)->texts);
      }
    } else if (const TableRow* gone = table_.Mission(shownName)) {
      update_.removedRows.emplace_back(shownName, gone->texts);
      change([&] { return table_.Remove(shownName); });
    } else if (wasSaid) {
      update_.removedMessages.Add(shownName);
    }
  }
  waiting.insert(waiting.end(), std::make_move_iterator(update_.toRead.begin() + static_cast<std::ptrdiff_t>(at)),
                 std::make_move_iterator(update_.toRead.end()));
  update_.toRead = std::move(waiting);
  const bool done = update_.toRead.empty();
  // A folder without DLLs says so, as a scan of it would.
  const std::string noDlls = Translated(kNoDllsMessage);
  if (done && update_.empty && !table_.HoldsMessage(noDlls)) {
    change([&] {
      table_.Append({{{noDlls, {}, {}, {}}, true}});
      return table_.Order();
    });
  } else if (!update_.empty && table_.HoldsMessage(noDlls)) {
    change([&] { return table_.RemoveMessage(noDlls); });
  }
  if (tableChanged) ShowChange(rowsBefore, std::move(moved));
  // The rest once read: each file as its read comes in; what is read
  // already at the next frame.
  if (outOfTime && !done) {
    PostFolderChangesFrame();
    return;
  }
  ShowFolderChangesSaid();
}

// The status says what a burst of changes changed, all of it so far, as
// each part of it is shown; a row gone and a row come with the same texts
// are a file renamed.
void ScanSession::ShowFolderChangesSaid() {
  Named added = update_.added;
  Named removed = update_.removedRows;
  std::vector<std::pair<std::string, std::string>> renamed;  // from, to
  for (auto come = added.begin(); come != added.end();) {
    const auto gone = std::find_if(removed.begin(), removed.end(), [&come](const auto& row) {
      return row.second.mapName == come->second.mapName && row.second.techName == come->second.techName &&
             row.second.levelDesc == come->second.levelDesc;
    });
    if (gone == removed.end()) {
      ++come;
      continue;
    }
    renamed.emplace_back(gone->first, come->first);
    removed.erase(gone);
    come = added.erase(come);
  }
  const Counted updated = update_.updated;
  const Counted removedMessages = update_.removedMessages;
  const std::size_t removedCount = removed.size() + removedMessages.count;
  const std::size_t updatedCount = updated.count;
  // Said whole once every file of it is shown: a file whose read hangs
  // leaves what came before it said, and said again with it.
  if (update_.burstOver && update_.toRead.empty()) {
    update_.added.clear();
    update_.removedRows.clear();
    update_.updated = update_.removedMessages = {};
  }
  const std::size_t changed = added.size() + updatedCount + removedCount + renamed.size();
  if (changed == 0) return;
  std::string status;
  if (changed == 1) {
    status = !added.empty()     ? Translated("Added {file}.", {{"file", added.front().first}})
             : updatedCount > 0 ? Translated("Updated {file}.", {{"file", updated.name}})
             : !renamed.empty() ? Translated("Renamed {file} to {name}.",
                                             {{"file", renamed.front().first}, {"name", renamed.front().second}})
                                : Translated("Removed {file}.", {{"file", !removed.empty() ? removed.front().first
                                                                                           : removedMessages.name}});
  } else {
    const auto say = [&status](const std::string& sentence) { status += (status.empty() ? "" : " ") + sentence; };
    if (!added.empty()) say(TranslatedCount("{count} mission added.", "{count} missions added.", added.size()));
    if (updatedCount > 0) say(TranslatedCount("{count} mission updated.", "{count} missions updated.", updatedCount));
    if (removedCount > 0) say(TranslatedCount("{count} mission removed.", "{count} missions removed.", removedCount));
    if (!renamed.empty()) say(TranslatedCount("{count} mission renamed.", "{count} missions renamed.", renamed.size()));
  }
  ShowStatus(status);
}

std::optional<std::string> ScanSession::UnreadableMessage(const std::string& shownName) const {
  // The sentence with a mark where the reason goes: what comes before and after it.
  constexpr std::string_view kReason = "\x01";
  const std::string said = Translated("Cannot read {file}: {reason}", {{"file", shownName}, {"reason", std::string(kReason)}});
  const std::size_t reason = said.find(kReason);
  if (reason == std::string::npos) return std::nullopt;
  const std::string_view before = std::string_view(said).substr(0, reason);
  const std::string_view after = std::string_view(said).substr(reason + kReason.size());
  for (std::size_t i = 0; i < table_.size(); ++i) {
    const TableRow& row = table_.Row(i);  // message rows always show
    const std::string& text = row.texts.dllName;
    if (row.isMessage && text.size() > before.size() + after.size() && text.starts_with(before) &&
        text.ends_with(after)) {
      return text;
    }
  }
  return std::nullopt;
}

// Every problem is a message row, where the scan met it: the missing library
// where the texts would be, a file that cannot be read where its row would
// be, a folder that cannot be listed after "No DLL's found!" (what, then why).
void ScanSession::ReportProblem(ScanProblem, const std::string& text) { AddMessageRow(text); }

}  // namespace vostrel
