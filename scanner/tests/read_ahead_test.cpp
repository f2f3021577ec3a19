// The read-ahead ring on its own, with a read function the test controls:
// results in the order given whatever the workers, a slow file holding back
// only its own result, a stop, and real files removed after their read.
#include "scanner/read_ahead.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "scanner/text_decoding.h"
#include "scanner/tests/test_support.h"
#include "ui/core/tests/mission_writer.h"

namespace vostrel {
namespace {

// Reads that wait while their path is held, then answer with `read` (by
// default the path as the map name); counts the reads begun and ended.
class Reads {
 public:
  ReadAhead::Read Function(ReadAhead::Read read = {}) {
    return [this, read](const std::string& path) {
      {
        std::unique_lock lock(mutex_);
        begun_.insert(path);
        changed_.notify_all();
        changed_.wait(lock, [&] { return !held_.contains(path) && !holdAll_; });
      }
      MissionRead result;
      if (read) {
        result = read(path);
      } else {
        result.texts[0] = path;
      }
      const std::lock_guard lock(mutex_);
      ++ended_;
      changed_.notify_all();
      return result;
    };
  }
  void Hold(const std::string& path) {
    const std::lock_guard lock(mutex_);
    held_.insert(path);
  }
  void HoldAll(bool hold) {
    const std::lock_guard lock(mutex_);
    holdAll_ = hold;
    changed_.notify_all();
  }
  void Let(const std::string& path) {
    const std::lock_guard lock(mutex_);
    held_.erase(path);
    changed_.notify_all();
  }
  // Waits until `count` reads have begun (or ended); false after the
  // wait's generous bound.
  bool WaitForBegun(std::size_t count) { return WaitFor([&] { return begun_.size() >= count; }); }
  bool WaitForEnded(std::size_t count) { return WaitFor([&] { return ended_ >= count; }); }
  std::size_t BegunCount() {
    const std::lock_guard lock(mutex_);
    return begun_.size();
  }

 private:
  template <class Condition>
  bool WaitFor(Condition condition) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), condition);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> begun_;
  std::set<std::string> held_;
  bool holdAll_ = false;
  std::size_t ended_ = 0;
};

std::vector<std::string> Paths(std::size_t count) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < count; ++i) paths.push_back("file" + std::to_string(1000 + i));
  return paths;
}

// Gives all the paths as room allows and takes every result: the map names
// in the order taken.
std::vector<std::string> GiveAndTakeAll(ReadAhead& ahead, const std::vector<std::string>& paths) {
  std::vector<std::string> taken;
  std::size_t given = 0;
  while (taken.size() < paths.size()) {
    const std::size_t room = std::min(ahead.Room(), paths.size() - given);
    if (room > 0) {
      ahead.Give({paths.begin() + static_cast<std::ptrdiff_t>(given),
                  paths.begin() + static_cast<std::ptrdiff_t>(given + room)});
      given += room;
    }
    taken.push_back(ahead.Take().texts[0]);
  }
  return taken;
}

// In the order given, with one worker, a few and the most; a slow file
// (the fourth) holds back only its own result: the files after it, as many
// as the ring holds, are read meanwhile.
TEST(ReadAhead, GivesResultsInOrderPastASlowFile) {
  for (const std::size_t workers : {std::size_t{1}, std::size_t{4}, kMostScanWorkers}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    const std::vector<std::string> paths = Paths(FilesAhead(workers) * 3 + 1);
    Reads reads;
    ReadAhead ahead(workers, reads.Function());
    if (workers == 1) {  // each file read as it is taken: none can hold another back
      EXPECT_EQ(GiveAndTakeAll(ahead, paths), paths);
      continue;
    }
    EXPECT_EQ(GiveAndTakeAll(ahead, {paths.begin(), paths.begin() + 3}),
              std::vector<std::string>(paths.begin(), paths.begin() + 3));
    reads.Hold(paths[3]);
    const std::vector<std::string> ahead4(paths.begin() + 3, paths.begin() + 3 + static_cast<std::ptrdiff_t>(ahead.Room()));
    ahead.Give(ahead4);
    ASSERT_TRUE(reads.WaitForEnded(3 + ahead4.size() - 1)) << "the files after the slow one are read meanwhile";
    reads.Let(paths[3]);
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < ahead4.size(); ++i) taken.push_back(ahead.Take().texts[0]);
    EXPECT_EQ(taken, ahead4);
    const std::vector<std::string> rest(paths.begin() + 3 + static_cast<std::ptrdiff_t>(ahead4.size()), paths.end());
    EXPECT_EQ(GiveAndTakeAll(ahead, rest), rest);
  }
}

// After a stop the workers take up no more files: those reading one end
// with it, and no other file is read.
TEST(ReadAhead, StopTakesUpNoMoreFiles) {
  constexpr std::size_t kWorkers = 4;
  const std::vector<std::string> paths = Paths(FilesAhead(kWorkers));
  Reads reads;
  reads.HoldAll(true);
  {
    ReadAhead ahead(kWorkers, reads.Function());
    ahead.Give(paths);
    ASSERT_TRUE(reads.WaitForBegun(kWorkers));
    ahead.Stop();
    reads.HoldAll(false);
  }  // every worker has ended here
  EXPECT_EQ(reads.BegunCount(), kWorkers);
}

// A file read ahead keeps its result when it is deleted before it is taken.
TEST(ReadAhead, KeepsWhatWasReadOfAFileRemovedSince) {
  const testing::TempFolder folder;
  std::vector<std::string> paths;
  for (int i = 0; i < 8; ++i) {
    const std::string number = std::to_string(i);  // named: i686 GCC 12 misreads "m" + a temporary (-Wrestrict)
    paths.push_back(folder / ("m" + number + ".dll"));
    testing::WriteMission(paths.back(), "Map " + number, "Desc");
  }
  LookupBinding binding;
  const TextDecoding decoding(1252);
  Reads reads;
  ReadAhead ahead(4, reads.Function([&](const std::string& path) {
    return ReadMission(binding, path, decoding, kWholeText);
  }));
  ahead.Give(paths);
  ASSERT_TRUE(reads.WaitForEnded(paths.size()));  // nothing taken yet: the workers read them all
  for (const std::string& path : paths) std::filesystem::remove(path);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const MissionRead read = ahead.Take();
    const std::string number = std::to_string(i);
    EXPECT_EQ(read.texts[0], "Map " + number);
    EXPECT_EQ(read.texts[2], "Desc");
  }
}

}  // namespace
}  // namespace vostrel
