#include "scanner/background_scan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "i18n/translation.h"
#include "scanner/scan_driver.h"

namespace vostrel {
namespace {

struct MessageRow {
  std::string text;
};
struct Status {
  std::string text;
};
struct FileInHand {
  std::string text;
};
struct Problem {
  ScanProblem problem;
  std::string text;
};
using Found = std::variant<ScanRow, MessageRow, Status, FileInHand, Problem>;

// What WaitForFound gathers before it returns: about 16 files' rows and statuses, or what came in 5 ms.
constexpr std::size_t kFoundBatch = 32;
constexpr std::chrono::milliseconds kGatherAtMost{5};

void Hand(Found& found, ScanView& view) {
  std::visit(
      [&view](auto& what) {
        using What = std::decay_t<decltype(what)>;
        if constexpr (std::is_same_v<What, ScanRow>) {
          view.AddRow(what);
        } else if constexpr (std::is_same_v<What, MessageRow>) {
          view.AddMessageRow(what.text);
        } else if constexpr (std::is_same_v<What, Status>) {
          view.SetStatus(what.text);
        } else if constexpr (std::is_same_v<What, FileInHand>) {
          view.SetFileInHandStatus(what.text);
        } else {
          view.ReportProblem(what.problem, what.text);
        }
      },
      found);
}

}  // namespace

// What the owner and the scan's thread share; the thread keeps it alive as
// long as it runs. The scan's view: what the driver shows is kept, under the
// lock, for the owner to take.
struct BackgroundScan::Shared final : ScanView {
  Shared(std::shared_ptr<LookupBinding> lookup, Settings settings, std::function<void()> onFound)
      : binding(std::move(lookup)),
        folderText(std::move(settings.folderText)),
        mostWaiting(std::max<std::size_t>(settings.mostWaiting, 1)),
        found(std::move(onFound)),
        driver(*this, *binding, settings.codePage, settings.maxTextBytes, settings.workers) {}

  std::string FolderText() override { return folderText; }
  void ClearRows() override {}
  void AddRow(const ScanRow& row) override { Keep(row); }
  void AddMessageRow(const std::string& text) override { Keep(MessageRow{text}); }
  void SetStatus(const std::string& text) override { Keep(Status{text}); }
  void SetFileInHandStatus(const std::string& text) override { Keep(FileInHand{text}); }
  void ReportProblem(ScanProblem problem, const std::string& text) override { Keep(Problem{problem, text}); }

  void Keep(Found what) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return waiting.size() < mostWaiting || stopped.load(); });
    if (stopped.load()) {
      driver.RequestStop();  // in case the stop came before the scan began
      return;
    }
    waiting.push_back(std::move(what));
    if (waiting.size() == 1) {
      Notify();
    } else if (waiting.size() == Batch()) {
      changed.notify_all();  // an owner that gathers a batch (WaitForFound)
    }
  }
  std::size_t Batch() const { return std::min(kFoundBatch, mostWaiting); }
  // Under the lock.
  void Notify() {
    changed.notify_all();
    if (found) found();
  }

  const std::shared_ptr<LookupBinding> binding;  // before the driver, which uses it
  const std::string folderText;
  const std::size_t mostWaiting;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  // Set under the lock, read also between the things handed.
  std::atomic<bool> stopped = false;  // Stop came before the driver returned
  // Under the lock:
  std::function<void()> found;
  std::vector<Found> waiting;
  bool ended = false;  // the driver has returned
  ScanDriver driver;
};

BackgroundScan::BackgroundScan(std::shared_ptr<LookupBinding> binding, Settings settings, std::function<void()> found)
    : shared_(std::make_shared<Shared>(std::move(binding), std::move(settings), std::move(found))) {
  thread_ = std::thread([shared = shared_] {
    shared->driver.cmdScan_Click();
    const std::lock_guard lock(shared->mutex);
    shared->ended = true;
    shared->Notify();
  });
}

BackgroundScan::~BackgroundScan() {
  Stop();
  bool ended = false;
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->found = nullptr;
    ended = shared_->ended;
  }
  // Once the scan has ended its thread only lets the shared state go.
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

bool BackgroundScan::TakeFound(ScanView& view) {
  std::vector<Found> found;
  bool ended = false;
  {
    const std::lock_guard lock(shared_->mutex);
    found.swap(shared_->waiting);
    ended = shared_->ended;
    shared_->changed.notify_all();  // a scan that waits for room
  }
  // A stop that comes while these are handed (an interrupt, on another
  // thread) ends the scan before the next of them, as before a next file.
  for (Found& what : found) {
    if (shared_->stopped.load()) break;
    Hand(what, view);
  }
  if (!shared_->stopped.load()) return ended;
  if (!std::exchange(stopSaid_, true)) view.SetStatus(Translated(kScanStoppedStatus));
  return true;
}

void BackgroundScan::WaitForFound() const {
  std::unique_lock lock(shared_->mutex);
  const auto over = [this] { return shared_->ended || shared_->stopped.load(); };
  shared_->changed.wait(lock, [&] { return !shared_->waiting.empty() || over(); });
  // A few more gathered before the owner goes on: it wakes once a batch
  // rather than once a row, and what waits before a read that hangs waits
  // only a moment longer.
  shared_->changed.wait_for(lock, kGatherAtMost,
                            [&] { return shared_->waiting.size() >= shared_->Batch() || over(); });
}

void BackgroundScan::Stop() {
  {
    const std::lock_guard lock(shared_->mutex);
    // Also once the scan has ended: what it found and the owner has not
    // taken yet (rows a writer has still to write) is dropped.
    if (shared_->stopped) return;
    shared_->stopped = true;
    shared_->changed.notify_all();
  }
  shared_->driver.RequestStop();
}

}  // namespace vostrel
