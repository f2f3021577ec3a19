// Reads the files of a scan ahead of the one in hand, on worker threads, and
// hands the results over in the order the files were given.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scanner/mission_reader.h"

namespace vostrel {

// The most workers a scan runs; more are taken as this many.
inline constexpr std::size_t kMostScanWorkers = 64;

// The workers that suit this machine: enough reads in flight to keep a disk
// busy, and at least one per processor for files already in memory.
std::size_t DefaultScanWorkers();

// How many files given and not yet taken a ReadAhead of so many workers holds at most.
std::size_t FilesAhead(std::size_t workers);

// One thread (the scan's, which made it) gives files and takes their
// results; the workers take up the files given in turn. They meet through
// atomic counters, and take a lock only to sleep when there is nothing to
// do, or to wake a thread that sleeps. The preconditions below are asserted.
class ReadAhead {
 public:
  using Read = std::function<MissionRead(const std::string& path)>;

  // With one worker nothing is read ahead: Take reads each file itself, on
  // the calling thread. With more, up to `workers` threads are started as
  // files are given.
  ReadAhead(std::size_t workers, Read read);
  // Stops the workers and waits for them.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // How many more files may be given now: none, or at least half of
  // FilesAhead, so that workers that ran out of files are woken seldom.
  std::size_t Room() const;
  // Queues files (native paths) to be read, in order; at most Room(), and
  // not after Stop.
  void Give(std::vector<std::string> paths);
  // The result for the first file given and not yet taken, once it is read;
  // read here when no worker has taken it up. Only while a file given is not
  // yet taken, and not after Stop.
  MissionRead Take();
  // The workers take up no more files; those reading one end with it. The
  // destructor waits for them. From the thread that gives, as the rest.
  void Stop();

 private:
  static constexpr std::size_t kCacheLine = 64;

  // A cache line or more each, for the same reason.
  struct alignas(kCacheLine) Slot {
    std::string path;
    MissionRead result;
    std::atomic<bool> ready = false;  // a worker has put its result
  };

  // Where threads sleep until a condition on the counters holds; whoever
  // changes them rings, which takes the lock only when someone sleeps.
  class Bell {
   public:
    template <class Condition>
    void SleepUntil(Condition condition) {
      std::unique_lock lock(mutex_);
      sleepers_.fetch_add(1);  // before the condition is checked: see Ring
      changed_.wait(lock, condition);
      sleepers_.fetch_sub(1);
    }
    void Ring() {
      if (sleepers_.load() == 0) return;  // a sleeper that came after the change sees it
      { const std::lock_guard lock(mutex_); }
      changed_.notify_all();
    }

   private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<int> sleepers_ = 0;
  };

  void Work();
  MissionRead ReadSafely(const std::string& path) const;

  const std::size_t workers_;
  const Read read_;
  const std::thread::id owner_ = std::this_thread::get_id();  // gives, takes and stops
  std::vector<Slot> ring_;  // file n in ring_[n % ring_.size()]
  // Each counter on a cache line of its own: the scan's thread and the
  // workers write them at every file, and a line they shared would go back
  // and forth between the processors.
  alignas(kCacheLine) std::size_t taken_ = 0;                 // files taken, by the scan's thread
  alignas(kCacheLine) std::atomic<std::size_t> given_ = 0;    // files given
  alignas(kCacheLine) std::atomic<std::size_t> takenUp_ = 0;  // files taken up, by a worker or by Take
  alignas(kCacheLine) std::atomic<bool> stopping_ = false;
  Bell workBell_;   // files given, or the workers stop
  Bell readyBell_;  // a result is in
  std::vector<std::jthread> threads_;  // last: joined before the rest goes
};

}  // namespace vostrel
