// A folder's changes as Linux reports them, brought to Qt's event loop: one
// inotify watch on the folder, which also reports writes to the files in it.
// (A QFileSystemWatcher on a folder misses a file rewritten in place, and a
// watch of its own for each of thousands of files costs more than the scan.)
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "handle/file_descriptor_posix.h"
#include "ui/core/event_loop.h"

class QSocketNotifier;

class FolderWatch : public QObject {
  Q_OBJECT

 public:
  explicit FolderWatch(QObject* parent);
  ~FolderWatch() override;

  // Watches `folder` (native text), the one before no longer: `changed` runs
  // from the event loop with the changes the system reports, several
  // reported together once. False when the folder cannot be watched.
  bool Watch(const std::string& folder, vostrel::EventLoop::FolderChanged changed);
  void Stop();

 private:
  void ReadEvents();

  handle::FileDescriptor inotify_;
  QSocketNotifier* readable_ = nullptr;
  int watch_ = -1;
  std::string folder_;
  vostrel::EventLoop::FolderChanged changed_;
};
