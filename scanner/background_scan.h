// A scan on a thread of its own, for a program whose own thread must stay
// free (a window's, or the one that waits for Ctrl+C): the scan driver runs
// there, and what it finds waits, in the order found, until the owner takes
// it on its own thread. Stopping never waits for the scan's thread, which
// may be held in a read that hangs (a stalled share, a FUSE file system):
// what it finds after the stop is dropped, and the thread ends on its own
// once the read returns, keeping alive what it uses until then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "scanner/lookup_binding.h"
#include "scanner/scan_view.h"
#include "scanner/text_encoding.h"

namespace vostrel {

class BackgroundScan {
 public:
  struct Settings {
    std::string folderText;  // the folder box's text, as a ScanView gives it
    CodePage codePage;       // decodable (see ScanDriver::SetCodePage)
    std::size_t maxTextBytes;
    std::size_t workers;
    // At most this many things found wait to be taken; the scan then waits
    // for the owner. An owner that writes each thing as it comes (to a pipe,
    // say) sets a few, so that a stalled or failed write stops the reads
    // soon; a window, which keeps every row anyway, need not.
    std::size_t mostWaiting = SIZE_MAX;
  };

  // Starts the scan. `found` runs on the scan's thread whenever something
  // waits to be taken where nothing did, and once when the scan has ended:
  // it should only post a notice to the owner's thread, which then calls
  // TakeFound. Never after this object has gone.
  BackgroundScan(std::shared_ptr<LookupBinding> binding, Settings settings, std::function<void()> found = {});
  // Stops the scan and lets its thread go: joined when it has ended, else
  // left to end by itself.
  ~BackgroundScan();
  BackgroundScan(const BackgroundScan&) = delete;
  BackgroundScan& operator=(const BackgroundScan&) = delete;

  // Hands what the scan found since the last call to `view`, in order, on
  // the calling thread: rows, message rows, problems and statuses
  // ("Scanning NAME...", then how the scan ended). Never FolderText nor
  // ClearRows: the owner empties its table when it starts the scan. True
  // once the scan has ended and all it found has been handed. After Stop
  // nothing more is handed, even what the scan found before it ended, but
  // "Scan stopped." once: an owner that wants what was found before the
  // stop takes it first.
  bool TakeFound(ScanView& view);
  // Blocks until something waits to be taken, the scan has ended, or Stop;
  // then gathers a batch for at most a few milliseconds more.
  void WaitForFound() const;
  // Ends the scan before its next file, and at once for the owner: nothing
  // found from now on is handed. Safe from any thread (an interrupt's).
  void Stop();

 private:
  struct Shared;

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool stopSaid_ = false;  // "Scan stopped." has been handed
};

}  // namespace vostrel
