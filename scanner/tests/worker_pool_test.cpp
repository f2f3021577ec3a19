// The worker pool: every job's call handed back once; a job that never ends
// (a read that hangs) holds up neither the others nor the pool's going, and
// what it gives back after is dropped.
#include "scanner/worker_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vostrel {
namespace {

TEST(WorkerPool, HandsBackEveryJobAndLetsAHeldOneGo) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<WorkerPool::Call> delivered;
  bool held = true;  // the first job waits until this is false
  std::weak_ptr<int> heldCall;
  {
    WorkerPool pool(4, [&](WorkerPool::Call call) {
      const std::lock_guard lock(mutex);
      delivered.push_back(std::move(call));
      changed.notify_all();
    });
    std::vector<int> ran(20, 0);
    const auto token = std::make_shared<int>(0);
    heldCall = token;
    pool.Run([&, token] {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return !held; });
      return WorkerPool::Call([token] {});
    });
    for (std::size_t i = 0; i < ran.size(); ++i) pool.Run([&ran, i] { return WorkerPool::Call([&ran, i] { ++ran[i]; }); });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return delivered.size() == 20; }));
    for (auto& call : delivered) call();
    EXPECT_EQ(ran, std::vector<int>(20, 1));
  }  // the pool goes while its first job is held
  {
    const std::lock_guard lock(mutex);
    held = false;
  }
  changed.notify_all();
  // The held job ends on its own; its call is dropped, not handed back.
  for (int i = 0; i < 6000 && !heldCall.expired(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(heldCall.expired());
  const std::lock_guard lock(mutex);
  EXPECT_EQ(delivered.size(), 20u);
}

}  // namespace
}  // namespace vostrel
