// The files of a followed folder read again, off the window's thread: on a
// few workers, each result handed back through the window's event loop. A
// file read again before its last read is in counts by its newest read;
// a file whose read hangs holds up no other, and never the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "scanner/lookup_binding.h"
#include "scanner/scan_view.h"
#include "scanner/text_decoding.h"
#include "scanner/worker_pool.h"
#include "ui/core/event_loop.h"

namespace vostrel {

// A file read again: its row; none when it holds none of the three texts;
// or the system's reason it cannot be read (locked, gone again).
struct ChangedFileRead {
  std::optional<ScanRow> row;
  std::optional<std::string> unreadable;
};

class ChangedFileReads {
 public:
  // `arrived` runs from `loop` with a file's name when its newest read is in.
  // Up to `workers` files are read at once.
  ChangedFileReads(EventLoop& loop, std::size_t workers, std::function<void(const std::string&)> arrived);

  // Reads the file `name` (native) in `folder` (native) again, as a scan
  // reads it for the table, its texts through `binding` in `decoding`.
  void Read(std::shared_ptr<LookupBinding> binding, std::shared_ptr<const TextDecoding> decoding,
            const std::string& folder, const std::string& name);
  // Whether a read of `name` was asked for and not yet taken.
  bool Asked(const std::string& name) const { return asked_.contains(name); }
  // The newest read of `name`, once it is in; taken.
  std::optional<ChangedFileRead> Take(const std::string& name);
  // Drops `name`'s reads: what comes in of them is not kept.
  void Forget(const std::string& name);
  // Drops every read; the workers are let go.
  void Clear();
  // Whether any read asked for is not in yet.
  bool Reading() const { return inFlight_ > 0; }

 private:
  void Arrived(const std::string& name, std::uint64_t number, ChangedFileRead read);

  EventLoop& loop_;
  std::size_t workers_;
  std::function<void(const std::string&)> arrived_;
  PostedCalls calls_;                   // the results handed back, taken back by Clear
  std::unique_ptr<WorkerPool> pool_;    // started at the first read
  std::uint64_t lastNumber_ = 0;        // of the reads asked for
  std::size_t inFlight_ = 0;            // reads asked for and not in
  std::map<std::string, std::uint64_t> asked_;  // a file's newest read, by its number
  std::map<std::string, ChangedFileRead> in_;   // the newest reads in, not yet taken
};

}  // namespace vostrel
