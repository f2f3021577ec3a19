#include "ui/core/folder_follower.h"

#include <algorithm>
#include <utility>

#include "scanner/dll_listing.h"
#include "scanner/text_encoding.h"

namespace vostrel {

FolderFollower::Started FolderFollower::Start(const std::string& folder) {
  Stop();
  folder_ = folder;
  try {
    known_ = List();
  } catch (const ListingError&) {
    return Started::kCannotList;
  }
  following_ = true;
  Watch();
  return following_ ? Started::kFollowing : Started::kCannotWatch;
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
  named_.clear();
  listAll_ = false;
}

bool FolderFollower::RetryLater(const std::string& name) {
  if (!following_) return false;
  const auto known = known_.find(name);
  const FileStamp stamp = known != known_.end() ? known->second : FileStamp{};
  Retries& retries = retries_[name];
  if (retries.stamp != stamp) retries = {0, stamp};  // changed since: its count starts again
  if (++retries.count > kRetries) return false;
  known_.erase(name);
  named_.insert(name);
  CheckSoon(kRetryTime);
  return true;
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
  if (!calls_.loop().WatchFolder(folder_, calls_.Guarded([this](const FolderEvents& events) { Changed(events); }))) {
    following_ = false;  // the system cannot watch this folder
  }
}

void FolderFollower::Changed(const FolderEvents& events) {
  if (events.folderGone) {
    // A file system unmounted leaves its mount point behind, which lists
    // (as empty): the system's word decides, not a listing.
    Stop();
    FolderChanges gone;
    gone.folderGone = gone.folderRemoved = true;
    apply_(gone);
    return;
  }
  // Changes to files that are not DLLs cost nothing more.
  if (events.unnamed) listAll_ = true;
  for (const std::string& name : events.names) {
    if (ListsName(name)) named_.insert(name);
  }
  if (listAll_ || !named_.empty()) CheckSoon(kSettleTime);
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
  // What is looked at: when the system named its changes, only the files it
  // named and those still changing (a log written beside 30,000 missions
  // costs nothing); else every DLL the folder lists.
  const bool listed = std::exchange(listAll_, false);
  const std::set<std::string> named = std::exchange(named_, {});
  Listing now;
  std::set<std::string> lookedAt;  // when not listed
  if (listed) {
    try {
      now = List();
    } catch (const ListingError&) {
      Stop();
      FolderChanges gone;
      gone.folderGone = true;
      apply_(gone);
      return;
    }
  } else {
    lookedAt = named;
    for (const auto& entry : changing_) lookedAt.insert(entry.first);
    for (const std::string& name : lookedAt) {
      if (auto stamp = ListedStampOf(folder_, name)) now.emplace(name, *stamp);
    }
  }
  FolderChanges& changes = pending_;
  std::vector<std::string> changing;
  for (const auto& [name, state] : now) {
    // Named by the system: read again once it has settled, whatever its
    // stamp says (a rewrite that keeps the size and time).
    if (named.contains(name)) {
      changing_[name] = state;
      changing.push_back(name);
      continue;
    }
    const auto seen = changing_.find(name);
    if (seen != changing_.end() && seen->second == state) {
      std::erase(changes.removed, name);
      changes.settled.push_back(name);
      changing_.erase(seen);
      known_[name] = state;
      continue;
    }
    const auto known = known_.find(name);
    if (known != known_.end() && known->second == state) {
      changing_.erase(name);
    } else {
      changing_[name] = state;
      changing.push_back(name);
    }
  }
  // The files looked at and not there: gone (a file that could not be read
  // too, so that its message row goes).
  std::vector<std::string> absent;
  if (listed) {
    for (const auto& entry : known_) absent.push_back(entry.first);
    for (const auto& entry : retries_) absent.push_back(entry.first);
  } else {
    absent.assign(lookedAt.begin(), lookedAt.end());
  }
  for (const std::string& name : absent) {
    if (now.contains(name)) continue;
    changing_.erase(name);
    const bool wasKnown = known_.erase(name) > 0;
    if (!(retries_.erase(name) > 0 || wasKnown)) continue;
    std::erase(changes.settled, name);
    changes.removed.push_back(name);
  }
  changes.empty = listed ? now.empty() : known_.empty() && changing_.empty() && retries_.empty();
  // What a burst changed is shown at once, when nothing changes any more;
  // a file that goes on changing holds the others back only so long.
  FolderChanges found;
  if (changing_.empty() || ++heldChecks_ >= kHeldChecks) {
    heldChecks_ = 0;
    found = std::exchange(pending_, {});
    found.quiet = changing_.empty();
  }
  found.changing = std::move(changing);
  if (!changing_.empty()) CheckSoon(kSettleTime);
  if (!found.changing.empty() || !found.settled.empty() || !found.removed.empty()) apply_(found);
}

}  // namespace vostrel
