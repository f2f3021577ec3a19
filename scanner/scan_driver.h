// The scan over a folder's DLL files: lists them, reads each one's three
// texts and fills the view's table, keeping its status line current.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "i18n/translation.h"
#include "scanner/dll_listing.h"
#include "scanner/lookup_binding.h"
#include "scanner/read_ahead.h"
#include "scanner/scan_view.h"
#include "scanner/text_decoding.h"
#include "scanner/text_encoding.h"
#include "scanner/text_reader.h"

namespace vostrel {

// The row a scan of a folder without DLLs shows (translated where it is shown).
inline constexpr std::string_view kNoDllsMessage = MarkedText("No DLL's found!");
// The status of a scan that was stopped before its end (translated where it is shown).
inline constexpr std::string_view kScanStoppedStatus = MarkedText("Scan stopped.");

class ScanDriver {
 public:
  // Texts are decoded in `codePage` (kAutomaticCodePage: each mission's in
  // the code page detected, else the default); of each, at most `maxTextBytes` bytes
  // are read (see ReadToFirstNull), which bounds what a window keeps.
  // `workers` threads read the files after the one in hand (see ReadAhead);
  // with 1 the scan reads each file itself, in turn.
  ScanDriver(ScanView& view, LookupBinding& binding, CodePage codePage = DefaultCodePage(),
             std::size_t maxTextBytes = kWholeText, std::size_t workers = DefaultScanWorkers());

  // The Scan command: scans the folder in the view's folder box. Runs a
  // whole scan before it returns; every view operation is called on the
  // calling thread, and every worker has ended when it returns. A window
  // runs it on a thread of its own (BackgroundScan), never on its own.
  void cmdScan_Click();

  // Scans the folder of the last scan again, whatever the folder box holds
  // now (its texts in another code page, say). Nothing before the first
  // scan, or while a scan runs.
  void Rescan();

  // Ends a running scan before its next file: the rows found so far stay and
  // the status reads "Scan stopped.". The request lasts until the running
  // scan has ended; with no scan running it does nothing. Safe from any
  // thread (an interrupt's, a window's).
  void RequestStop();

  bool IsScanning() const { return scanning_; }

  // The code page of the texts read from now on, or kAutomaticCodePage (a
  // running scan reads the files it read ahead again). Throws
  // std::invalid_argument for one the platform cannot decode.
  void SetCodePage(CodePage codePage);
  CodePage codePage() const { return decoding_->choice(); }
  // How texts are decoded, for reading a file's texts as the scan reads them.
  const TextDecoding& decoding() const { return *decoding_; }

 private:
  void Scan(const std::string& folderText);
  void ScanFolder(const std::string& folder);
  void ScanFiles(const std::string& folder, DllListing& listing, std::string first);

  ScanView& view_;
  LookupBinding& binding_;
  // Shared with the workers of a running scan, which keep the one it began with.
  std::shared_ptr<const TextDecoding> decoding_;
  std::size_t maxTextBytes_;
  std::size_t workers_;
  std::optional<std::string> lastFolder_;  // the folder text of the last scan
  std::atomic<bool> scanning_ = false;
  std::atomic<bool> stopRequested_ = false;
};

}  // namespace vostrel
