#include "scanner/worker_pool.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

namespace vostrel {

// What the owner and the workers share; each worker keeps it alive as long
// as it runs. Under the lock.
struct WorkerPool::Shared {
  Shared(std::size_t most, std::function<void(Call)> deliverTo)
      : mostThreads(std::max<std::size_t>(most, 1)), deliver(std::move(deliverTo)) {}

  // A worker's loop: the next job, its call delivered, until the pool goes.
  void Work(std::size_t worker) {
    std::unique_lock lock(mutex);
    while (true) {
      jobWaits.wait(lock, [this] { return gone || !jobs.empty(); });
      if (gone) return;
      Job job = std::move(jobs.front());
      jobs.pop_front();
      busy[worker] = true;
      lock.unlock();
      Call call = job();
      job = nullptr;  // what it holds goes here, off the owner's thread
      lock.lock();
      busy[worker] = false;
      if (deliver && call) deliver(std::move(call));
    }
  }

  const std::size_t mostThreads;
  std::mutex mutex;
  std::condition_variable jobWaits;
  std::function<void(Call)> deliver;  // none once the pool has gone
  std::deque<Job> jobs;
  std::vector<bool> busy;  // a worker's, by its number: in a job
  bool gone = false;
};

WorkerPool::WorkerPool(std::size_t mostThreads, std::function<void(Call)> deliver)
    : shared_(std::make_shared<Shared>(mostThreads, std::move(deliver))) {}

WorkerPool::~WorkerPool() {
  std::vector<bool> busy;
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->gone = true;
    shared_->deliver = nullptr;
    shared_->jobs.clear();
    busy = shared_->busy;
  }
  shared_->jobWaits.notify_all();
  // An idle worker sees the pool gone and ends at once; one in a job could
  // wait on a read for ever.
  for (std::size_t i = 0; i < threads_.size(); ++i) {
    if (busy[i]) {
      threads_[i].detach();
    } else {
      threads_[i].join();
    }
  }
}

void WorkerPool::Run(Job job) {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->jobs.push_back(std::move(job));
    const auto busy = static_cast<std::size_t>(std::count(shared_->busy.begin(), shared_->busy.end(), true));
    if (threads_.size() - busy < shared_->jobs.size() && threads_.size() < shared_->mostThreads) {
      try {
        shared_->busy.push_back(false);
        threads_.emplace_back([shared = shared_, worker = threads_.size()] { shared->Work(worker); });
      } catch (const std::system_error&) {
        shared_->busy.pop_back();  // no thread to be had: the workers there are take it up
      }
    }
    if (!threads_.empty()) {
      shared_->jobWaits.notify_one();
      return;
    }
    job = std::move(shared_->jobs.back());
    shared_->jobs.pop_back();
  }
  // Not one thread to be had: the job runs here, as it would without a pool.
  if (Call call = job()) shared_->deliver(std::move(call));
}

}  // namespace vostrel
