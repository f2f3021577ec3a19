#include "scan_driver.h"

#include <array>
#include <exception>
#include <optional>

#include "dll_listing.h"
#include "text_encoding.h"
#include "text_reader.h"

namespace vostrel {
namespace {

constexpr std::array<const char*, 3> kExportNames{"MapName", "TechtreeName", "LevelDesc"};
constexpr char kNoFilesStatus[] = "No files to scan.";
constexpr char kFinishedStatus[] = "Scan finished.";
constexpr char kStoppedStatus[] = "Scan stopped.";

std::string ScanningStatus(const std::string& name) { return "Scanning " + name + "..."; }

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
  ScanGuard(bool& scanning, bool& stopRequested) : scanning_(scanning), stopRequested_(stopRequested) {
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
  bool& scanning_;
  bool& stopRequested_;
};

}  // namespace

ScanDriver::ScanDriver(ScanView& view, LookupBinding& binding, CodePage codePage, std::size_t maxTextBytes)
    : view_(view), binding_(binding), decoder_(codePage), maxTextBytes_(maxTextBytes) {}

void ScanDriver::cmdScan_Click() {
  if (scanning_) return;  // a Scan command from inside the running scan's event pass
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

void ScanDriver::SetCodePage(CodePage codePage) { decoder_ = TextDecoder(codePage); }

void ScanDriver::Scan(const std::string& folderText) {
  const ScanGuard guard(scanning_, stopRequested_);
  lastFolder_ = folderText;
  lookupReported_ = false;
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
    Try([&] { view_.AddMessageRow(kNoDllsMessage); });
    if (listingError) {
      Try([&] {
        view_.ReportProblem(ScanProblem::kFolderUnreadable, "Cannot list " + NativeToUtf8(folder) + ": " + *listingError);
      });
    }
    Try([&] { view_.SetStatus(kNoFilesStatus); });
    return;
  }

  while (name) {
    Try([&] { view_.ProcessPendingEvents(); });
    if (stopRequested_) {
      Try([&] { view_.SetStatus(kStoppedStatus); });
      return;
    }
    const std::string displayName = NativeToUtf8(*name);
    Try([&] { view_.SetStatus(ScanningStatus(displayName)); });

    const std::string path = JoinPath(folder, *name);
    ScanRow row{displayName, ReadExportText(path, kExportNames[0]), ReadExportText(path, kExportNames[1]),
                ReadExportText(path, kExportNames[2])};
    if (!row.mapName.empty() || !row.techName.empty() || !row.levelDesc.empty()) {
      Try([&] { view_.AddRow(row); });
    }

    name.reset();
    Try([&] { name = listing->Next(); });
  }
  Try([&] { view_.SetStatus(kFinishedStatus); });
}

std::string ScanDriver::ReadExportText(const std::string& path, const char* exportName) {
  // A failed lookup or read gives this file the empty text, never another's.
  std::string text;
  Try([&] {
    int32_t offset = 0;
    try {
      offset = binding_.GetOffset(path, exportName);
    } catch (const LookupUnavailable& error) {
      if (lookupReported_) return;
      lookupReported_ = true;
      Try([&] { view_.ReportProblem(ScanProblem::kLookupUnavailable, error.what()); });
      return;
    }
    text = ReadToFirstNull(path, offset, decoder_, maxTextBytes_);
  });
  return text;
}

}  // namespace vostrel
