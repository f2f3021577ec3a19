#include "scanner/scan_driver.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <optional>
#include <vector>

#include "scanner/dll_listing.h"
#include "scanner/mission_reader.h"
#include "scanner/text_encoding.h"

namespace vostrel {
namespace {

// What the workers read of each text: a file with a longer one is read again,
// by the scan itself, when its row comes. This bounds the bytes held ahead
// (FilesAhead files, three texts each) when the texts are kept whole.
constexpr std::size_t kTextBytesReadAhead = 16 * 1024;

// A step that fails with an error is skipped and the scan goes on.
template <class Step>
void Try(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// Ends the scan state however the scan leaves.
class ScanGuard {
 public:
  ScanGuard(std::atomic<bool>& scanning, std::atomic<bool>& stopRequested)
      : scanning_(scanning), stopRequested_(stopRequested) {
    scanning_ = true;
    stopRequested_ = false;
  }
  ScanGuard(const ScanGuard&) = delete;
  ScanGuard& operator=(const ScanGuard&) = delete;
  ~ScanGuard() {
    scanning_ = false;
    stopRequested_ = false;
  }

 private:
  std::atomic<bool>& scanning_;
  std::atomic<bool>& stopRequested_;
};

}  // namespace

ScanDriver::ScanDriver(ScanView& view, LookupBinding& binding, CodePage codePage, std::size_t maxTextBytes,
                       std::size_t workers)
    : view_(view),
      binding_(binding),
      decoding_(std::make_shared<const TextDecoding>(codePage)),
      maxTextBytes_(maxTextBytes),
      workers_(std::max<std::size_t>(workers, 1)) {}

void ScanDriver::cmdScan_Click() {
  // The folder text is taken once: an edit of the box during the scan must
  // not send the remaining files' lookups into another folder.
  std::string folder;
  Try([&] { folder = view_.FolderText(); });
  Scan(folder);
}

void ScanDriver::Rescan() {
  if (scanning_ || !lastFolder_) return;
  Scan(*lastFolder_);
}

void ScanDriver::SetCodePage(CodePage codePage) { decoding_ = std::make_shared<const TextDecoding>(codePage); }

void ScanDriver::Scan(const std::string& folderText) {
  const ScanGuard guard(scanning_, stopRequested_);
  lastFolder_ = folderText;
  Try([&] { view_.ClearRows(); });
  ScanFolder(Utf8ToNative(folderText));
}

void ScanDriver::RequestStop() {
  if (scanning_) stopRequested_ = true;
}

void ScanDriver::ScanFolder(const std::string& folder) {
  std::optional<DllListing> listing;
  std::optional<std::string> name;
  std::optional<std::string> listingError;
  Try([&] {
    try {
      listing.emplace(folder);
    } catch (const ListingError& error) {
      listingError = error.what();
      return;
    }
    name = listing->Next();
  });
  if (!name) {
    Try([&] { view_.AddMessageRow(Translated(kNoDllsMessage)); });
    if (listingError) {
      Try([&] {
        view_.ReportProblem(ScanProblem::kFolderUnreadable,
                            Translated("Cannot list {folder}: {reason}",
                                       {{"folder", NativeToUtf8(folder)}, {"reason", *listingError}}));
      });
    }
    Try([&] { view_.SetStatus(Translated("No files to scan.")); });
    return;
  }

  ScanFiles(folder, *listing, std::move(*name));
}

void ScanDriver::ScanFiles(const std::string& folder, DllListing& listing, std::string first) {
  // The files after the one in hand are read ahead, in the code page the
  // scan began with; at most FilesAhead of them wait to be delivered.
  const std::shared_ptr<const TextDecoding> decoding = decoding_;
  const std::size_t bytesAhead = workers_ > 1 ? std::min(maxTextBytes_, kTextBytesReadAhead) : maxTextBytes_;
  ReadAhead ahead(workers_, [this, decoding, bytesAhead](const std::string& path) {
    return ReadMission(binding_, path, *decoding, bytesAhead);
  });
  std::optional<std::string> name = std::move(first);  // the next name listed
  std::deque<std::string> names;                       // given to be read, not yet delivered
  const auto giveMore = [&] {
    std::vector<std::string> paths;
    for (std::size_t room = ahead.Room(); name && paths.size() < room;) {
      paths.push_back(JoinPath(folder, *name));
      names.push_back(std::move(*name));
      name.reset();
      Try([&] { name = listing.Next(); });
    }
    if (!paths.empty()) ahead.Give(std::move(paths));
  };

  bool lookupReported = false;  // the missing library has been said in this scan
  // Said once per file: translated once per scan, filled for each file.
  const std::string scanning = Translated("Scanning {file}...");
  const std::string unreadable = Translated("Cannot read {file}: {reason}");
  giveMore();
  while (!names.empty()) {
    if (stopRequested_) {
      ahead.Stop();
      Try([&] { view_.SetStatus(Translated(kScanStoppedStatus)); });
      return;
    }
    const std::string nativeName = std::move(names.front());
    names.pop_front();
    const std::string displayName = NativeToUtf8(nativeName);
    Try([&] { view_.SetFileInHandStatus(Filled(scanning, {{"file", displayName}})); });

    MissionRead read = ahead.Take();
    giveMore();
    // Texts cut short for being read ahead, or read in a code page since changed.
    if ((read.cut && bytesAhead < maxTextBytes_) || decoding != decoding_) {
      Try([&] { ReadMissionTexts(JoinPath(folder, nativeName), *decoding_, maxTextBytes_, read); });
    }
    if (read.lookupUnavailable && !lookupReported) {
      lookupReported = true;
      Try([&] { view_.ReportProblem(ScanProblem::kLookupUnavailable, *read.lookupUnavailable); });
    }
    if (read.unreadable) {
      const std::string text = Filled(unreadable, {{"file", displayName}, {"reason", *read.unreadable}});
      Try([&] { view_.ReportProblem(ScanProblem::kFileUnreadable, text); });
    }
    if (read.HasText()) {
      Try([&] {
        view_.AddRow({displayName, std::move(read.texts[0]), std::move(read.texts[1]), std::move(read.texts[2])});
      });
    }
  }
  Try([&] { view_.SetStatus(Translated("Scan finished.")); });
}

}  // namespace vostrel
