// Following the folder of the last scan: what the system reports of its
// changes is gathered, and each DLL added or changed is handed on to be read
// again once it has stopped changing, each removed one as gone. Knows no
// toolkit: the window's event loop watches the folder and runs the checks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "scanner/file_stamp.h"
#include "ui/core/event_loop.h"

namespace vostrel {

// What a check found: native file names.
struct FolderChanges {
  // Found added or changed by this check: likely to settle at the next, and
  // worth reading ahead then. What a file holds counts only once it settles.
  std::vector<std::string> changing;
  std::vector<std::string> settled;  // added or changed, and unchanged since the check before: to be read
  std::vector<std::string> removed;  // no longer listed
  bool folderGone = false;           // following has stopped: the folder cannot be listed any more,
  bool folderRemoved = false;        // or the system said it was deleted, renamed or unmounted
  bool empty = false;                // the folder lists no DLL now
  bool quiet = false;                // nothing else is changing: a burst of changes ends here
};

class FolderFollower {
 public:
  // Changes are looked for this long after the system reports one, and a
  // file counts as settled when two such looks find it the same: a burst of
  // changes, or a file written in many small writes, is read once.
  static constexpr std::chrono::milliseconds kSettleTime{250};
  // A file that could not be read (locked, say) is looked at again after
  // this, at most kRetries times before its next change.
  static constexpr std::chrono::milliseconds kRetryTime{1000};
  static constexpr int kRetries = 10;
  // Changes found are held back while other files still change, for at
  // most this many checks, so that a burst is shown as one.
  static constexpr int kHeldChecks = 4;

  // Calls `apply` from `loop`; what it hands the loop it takes back when it
  // stops or goes.
  FolderFollower(EventLoop& loop, std::function<void(const FolderChanges&)> apply)
      : calls_(loop), apply_(std::move(apply)) {}
  ~FolderFollower() { Stop(); }
  FolderFollower(const FolderFollower&) = delete;
  FolderFollower& operator=(const FolderFollower&) = delete;

  enum class Started { kFollowing, kCannotList, kCannotWatch };
  // Follows `folder` (native text, as scanned) from its files as they are
  // now, unless it cannot be listed or the system cannot watch it.
  Started Start(const std::string& folder);
  void Stop();
  bool following() const { return following_; }

  // A settled file could not be read: it is looked at again later, up to
  // kRetries times while it stays the same. False once those are spent.
  bool RetryLater(const std::string& name);

 private:
  using Listing = std::map<std::string, FileStamp>;

  // The folder's DLLs now; throws ListingError when it cannot be listed.
  Listing List() const;
  void Watch();
  void Changed(const FolderEvents& events);
  void CheckSoon(std::chrono::milliseconds delay);
  void Check();

  // The tries of a file that could not be read, counted since its last change.
  struct Retries {
    int count = 0;
    FileStamp stamp;  // when last counted
  };

  PostedCalls calls_;  // the checks posted and the watch, taken back by Stop
  std::function<void(const FolderChanges&)> apply_;
  std::string folder_;
  bool following_ = false;
  bool checkPosted_ = false;
  Listing known_;     // as last read, or as scanned
  Listing changing_;  // found changed at the last check, not yet read
  std::map<std::string, Retries> retries_;
  std::set<std::string> named_;  // the DLLs the system said changed since the last check
  bool listAll_ = false;         // it reported changes it did not name
  FolderChanges pending_;  // found, held back while other files still change
  int heldChecks_ = 0;
};

}  // namespace vostrel
