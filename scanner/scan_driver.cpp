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
constexpr char kNoDllsRow[] = "No DLL's found!";
constexpr char kNoFilesStatus[] = "No files to scan.";
constexpr char kFinishedStatus[] = "Scan finished.";

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

void ScanDriver::cmdScan_Click() {
  if (scanning_) return;  // a Scan command from inside the running scan's event pass
  const ScanGuard guard(scanning_, stopRequested_);
  // The folder text is taken once: an edit of the box during the scan must
  // not send the remaining files' lookups into another folder.
  std::string folder;
  Try([&] { folder = view_.FolderText(); });
  Try([&] { view_.ClearRows(); });
  ScanFolder(Utf8ToNative(folder));
}

void ScanDriver::RequestStop() {
  if (scanning_) stopRequested_ = true;
}

void ScanDriver::ScanFolder(const std::string& folder) {
  std::optional<DllListing> listing;
  std::optional<std::string> name;
  Try([&] {
    listing.emplace(folder);
    name = listing->Next();
  });
  if (!name) {
    Try([&] { view_.AddMessageRow(kNoDllsRow); });
    Try([&] { view_.SetStatus(kNoFilesStatus); });
    return;
  }

  while (name) {
    Try([&] { view_.ProcessPendingEvents(); });
    if (stopRequested_) return;
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
  Try([&] { text = ReadToFirstNull(path, binding_.GetOffset(path, exportName)); });
  return text;
}

}  // namespace vostrel
