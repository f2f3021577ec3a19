// The scan over a folder's DLL files: lists them, reads each one's three
// texts and fills the view's table, keeping its status line current.
#pragma once

#include "lookup_binding.h"
#include "scan_view.h"

namespace vostrel {

class ScanDriver {
 public:
  ScanDriver(ScanView& view, LookupBinding& binding) : view_(view), binding_(binding) {}

  // The Scan command. Runs a whole scan on the calling thread, letting the
  // view's events run once per file. A Scan command that arrives while a scan
  // runs (from inside ProcessPendingEvents) is refused.
  void cmdScan_Click();

  // Ends a running scan before its next file (the window is closing). The
  // request lasts until the running scan has ended; with no scan running it
  // does nothing.
  void RequestStop();

  bool IsScanning() const { return scanning_; }

 private:
  void ScanFolder(const std::string& folder);
  std::string ReadExportText(const std::string& path, const char* exportName);

  ScanView& view_;
  LookupBinding& binding_;
  bool scanning_ = false;
  bool stopRequested_ = false;
};

}  // namespace vostrel
