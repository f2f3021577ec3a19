// A few threads that run jobs for an owner whose own thread must never wait
// (a window's): each job's result goes back as a call the owner's event loop
// runs. Going never waits for a job held in a read that hangs (a stalled
// share, a FUSE file system): that thread is let go, ends by itself once the
// read returns, and what its job gives back then is dropped.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace vostrel {

class WorkerPool {
 public:
  using Call = std::function<void()>;
  // Runs on a worker; returns the call that hands its result to the owner.
  using Job = std::function<Call()>;

  // Up to `mostThreads` threads, started as jobs wait; `deliver` hands a
  // job's call to the owner (posts it to its event loop), from the worker,
  // and never once the pool has gone.
  WorkerPool(std::size_t mostThreads, std::function<void(Call)> deliver);
  // Drops the jobs not yet begun; joins the threads that are idle, lets go
  // those in a job.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues `job`; jobs begin in the order given.
  void Run(Job job);

 private:
  struct Shared;

  std::shared_ptr<Shared> shared_;
  std::vector<std::thread> threads_;
};

}  // namespace vostrel
