#include "ui/core/folder_follower.h"

#include <utility>

#include "scanner/dll_listing.h"
#include "scanner/text_encoding.h"

namespace vostrel {

bool FolderFollower::Start(const std::string& folder) {
  Stop();
  folder_ = folder;
  try {
    known_ = List();
  } catch (const ListingError&) {
    return false;
  }
  following_ = true;
  Watch();
  return following_;
}

void FolderFollower::Stop() {
  if (following_) calls_.loop().StopWatching();
  following_ = false;
  calls_.Cancel();
  checkPosted_ = false;
  pending_ = {};
  heldChecks_ = 0;
  known_.clear();
  changing_.clear();
  retries_.clear();
}

void FolderFollower::RetryLater(const std::string& name) {
  if (!following_) return;
  const auto known = known_.find(name);
  const FileStamp stamp = known != known_.end() ? known->second : FileStamp{};
  Retries& retries = retries_[name];
  if (retries.stamp != stamp) retries = {0, stamp};  // changed since: its count starts again
  if (++retries.count > kRetries) return;
  known_.erase(name);
  CheckSoon(kRetryTime);
}

FolderFollower::Listing FolderFollower::List() const {
  Listing listing;
  DllListing names(folder_);
  while (auto name = names.Next()) {
    // Gone again since the listing, or unreadable: as if changing.
    const FileStamp stamp = StampOf(JoinPath(folder_, *name)).value_or(FileStamp{UINT64_MAX, 0});
    listing.emplace(std::move(*name), stamp);
  }
  return listing;
}

void FolderFollower::Watch() {
  if (!calls_.loop().WatchFolder(folder_, calls_.Guarded([this] { CheckSoon(kSettleTime); }))) {
    following_ = false;  // the system cannot watch this folder
  }
}

void FolderFollower::CheckSoon(std::chrono::milliseconds delay) {
  if (!following_ || checkPosted_) return;
  checkPosted_ = true;
  calls_.PostAfter(delay, [this] {
    checkPosted_ = false;
    Check();
  });
}

void FolderFollower::Check() {
  Listing now;
  try {
    now = List();
  } catch (const ListingError&) {
    Stop();
    apply_({{}, {}, true, false});
    return;
  }
  FolderChanges& changes = pending_;
  for (const auto& [name, state] : now) {
    const auto known = known_.find(name);
    if (known != known_.end() && known->second == state) {
      changing_.erase(name);
      continue;
    }
    const auto seen = changing_.find(name);
    if (seen != changing_.end() && seen->second == state) {
      std::erase(changes.removed, name);
      changes.settled.push_back(name);
      changing_.erase(seen);
      known_[name] = state;
    } else {
      changing_[name] = state;
    }
  }
  for (auto known = known_.begin(); known != known_.end();) {
    if (now.contains(known->first)) {
      ++known;
      continue;
    }
    std::erase(changes.settled, known->first);
    changes.removed.push_back(known->first);
    retries_.erase(known->first);
    known = known_.erase(known);
  }
  std::erase_if(changing_, [&now](const auto& entry) { return !now.contains(entry.first); });
  changes.empty = now.empty();
  // What a burst changed is shown at once, when nothing changes any more;
  // a file that goes on changing holds the others back only so long.
  if (changing_.empty() || ++heldChecks_ >= kHeldChecks) {
    heldChecks_ = 0;
    const FolderChanges found = std::exchange(pending_, {});
    if (!found.settled.empty() || !found.removed.empty()) apply_(found);
  }
  if (!changing_.empty()) CheckSoon(kSettleTime);
}

}  // namespace vostrel
