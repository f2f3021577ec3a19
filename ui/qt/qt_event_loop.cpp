#include "ui/qt/qt_event_loop.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <utility>

#include "ui/qt/folder_watch.h"

QtEventLoop::QtEventLoop(QObject* context) : context_(context), watch_(new FolderWatch(context)) {}

// Posting an event is safe from any thread; it is dropped if the context goes first.
void QtEventLoop::Post(Call call) { QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection); }

void QtEventLoop::PostAfter(std::chrono::milliseconds delay, Call call) {
  QTimer::singleShot(delay, context_, std::move(call));
}

bool QtEventLoop::WatchFolder(const std::string& folder, FolderChanged changed) { return watch_->Watch(folder, std::move(changed)); }

void QtEventLoop::StopWatching() { watch_->Stop(); }
