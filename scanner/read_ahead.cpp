#include "scanner/read_ahead.h"

#include <algorithm>
#include <cassert>
#include <system_error>
#include <utility>

namespace vostrel {
namespace {

// Reads in flight that keep a disk's queue full; threads past the processors
// mostly wait for the disk.
constexpr std::size_t kReadsInFlight = 16;
// Each worker may run this many files ahead of the one delivered next: one
// slow file does not leave the others idle, and workers that ran out of files
// are woken seldom (each wake-up costs a system call and a switch of threads).
constexpr std::size_t kFilesAheadPerWorker = 16;
constexpr std::size_t kMostFilesAhead = 256;

}  // namespace

std::size_t DefaultScanWorkers() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), kReadsInFlight, kMostScanWorkers);
}

std::size_t FilesAhead(std::size_t workers) {
  return workers <= 1 ? 1 : std::min(workers * kFilesAheadPerWorker, kMostFilesAhead);
}

ReadAhead::ReadAhead(std::size_t workers, Read read)
    : workers_(std::clamp<std::size_t>(workers, 1, kMostScanWorkers)),
      read_(std::move(read)),
      ring_(FilesAhead(workers_)) {}

ReadAhead::~ReadAhead() {
  Stop();
  threads_.clear();
}

std::size_t ReadAhead::Room() const {
  const std::size_t free = ring_.size() - (given_.load(std::memory_order_relaxed) - taken_);
  return free >= (ring_.size() + 1) / 2 ? free : 0;
}

void ReadAhead::Give(std::vector<std::string> paths) {
  assert(std::this_thread::get_id() == owner_);
  assert(!stopping_.load() && paths.size() <= Room());
  std::size_t given = given_.load(std::memory_order_relaxed);
  for (std::string& path : paths) ring_[given++ % ring_.size()].path = std::move(path);
  given_.store(given);  // publishes the paths to the workers
  while (workers_ > 1 && threads_.size() < std::min(workers_, given - taken_)) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // no thread to be had: Take reads what no worker takes up
    }
  }
  workBell_.Ring();
}

MissionRead ReadAhead::Take() {
  assert(std::this_thread::get_id() == owner_);
  assert(!stopping_.load() && taken_ < given_.load(std::memory_order_relaxed));
  Slot& slot = ring_[taken_ % ring_.size()];
  std::size_t first = taken_;
  if (takenUp_.compare_exchange_strong(first, taken_ + 1)) {
    slot.result = ReadSafely(slot.path);  // no worker has taken it up: read it here
  } else {
    readyBell_.SleepUntil([&slot] { return slot.ready.load(); });
  }
  MissionRead result = std::move(slot.result);
  slot.result = {};
  slot.ready.store(false, std::memory_order_relaxed);  // published with the next files given
  ++taken_;
  return result;
}

void ReadAhead::Stop() {
  assert(std::this_thread::get_id() == owner_);
  stopping_.store(true);
  workBell_.Ring();
}

void ReadAhead::Work() {
  const auto nothingToDo = [this] { return !stopping_.load() && takenUp_.load() >= given_.load(); };
  while (true) {
    if (nothingToDo()) workBell_.SleepUntil([&] { return !nothingToDo(); });
    if (stopping_.load()) return;
    std::size_t number = takenUp_.load();
    if (number >= given_.load() || !takenUp_.compare_exchange_weak(number, number + 1)) continue;
    Slot& slot = ring_[number % ring_.size()];
    slot.result = ReadSafely(slot.path);
    slot.ready.store(true);
    readyBell_.Ring();
  }
}

MissionRead ReadAhead::ReadSafely(const std::string& path) const {
  try {
    return read_(path);
  } catch (...) {
    return {};  // whatever failed, this file has no texts; the others go on
  }
}

}  // namespace vostrel
