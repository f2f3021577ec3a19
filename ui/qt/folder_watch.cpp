#include "ui/qt/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <utility>

namespace {

// What comes and goes, what is written, and the folder itself deleted or
// renamed (which ends the watch).
constexpr std::uint32_t kWatchedChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                          IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (!inotify_) return;  // no watching on this system
  readable_ = new QSocketNotifier(inotify_.get(), QSocketNotifier::Read, this);
  connect(readable_, &QSocketNotifier::activated, this, &FolderWatch::ReadEvents);
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::Watch(const std::string& folder, std::function<void()> changed) {
  if (folder != folder_ || watch_ < 0) {
    Stop();
    if (!inotify_) return false;
    watch_ = ::inotify_add_watch(inotify_.get(), folder.c_str(), kWatchedChanges | IN_ONLYDIR);
    if (watch_ < 0) return false;
    folder_ = folder;
  }
  changed_ = std::move(changed);
  return true;
}

void FolderWatch::Stop() {
  if (watch_ >= 0) ::inotify_rm_watch(inotify_.get(), watch_);
  watch_ = -1;
  folder_.clear();
  changed_ = nullptr;
}

void FolderWatch::ReadEvents() {
  // The events themselves are not needed: the session looks at the folder.
  std::array<char, 16384> events{};
  bool any = false;
  while (::read(inotify_.get(), events.data(), events.size()) > 0) any = true;
  if (any && changed_) changed_();
}
