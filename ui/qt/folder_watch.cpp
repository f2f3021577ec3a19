#include "ui/qt/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// What comes and goes, what is written, and the folder itself deleted or
// renamed (which ends the watch, as its file system unmounted does).
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

bool FolderWatch::Watch(const std::string& folder, vostrel::EventLoop::FolderChanged changed) {
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
  // Several events a read, each a header and the name it carries.
  alignas(inotify_event) std::array<char, 16384> buffer{};
  vostrel::FolderEvents events;
  bool any = false;
  for (ssize_t length; (length = ::read(inotify_.get(), buffer.data(), buffer.size())) > 0;) {
    for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const char* name = buffer.data() + at + sizeof event;
      at += sizeof event + event.len;
      if (event.mask & IN_Q_OVERFLOW) {
        events.unnamed = any = true;
        continue;
      }
      // Events of a watch already removed (its IN_IGNORED, say) are not this folder's.
      if (event.wd != watch_ || watch_ < 0) continue;
      any = true;
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) {
        events.folderGone = true;
      } else if (event.len > 0) {
        std::string named(name, ::strnlen(name, event.len));
        if (std::find(events.names.begin(), events.names.end(), named) == events.names.end()) {
          events.names.push_back(std::move(named));
        }
      }
    }
  }
  if (!any || !changed_) return;
  // A copy: the call may watch again, or stop.
  const vostrel::EventLoop::FolderChanged changed = changed_;
  if (events.folderGone) Stop();  // the system has ended the watch
  changed(events);
}
