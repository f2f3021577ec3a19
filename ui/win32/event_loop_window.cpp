#include "ui/win32/event_loop_window.h"

#include <algorithm>
#include <utility>

#include "scanner/text_encoding.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"VostrelEventLoop";

// Posted to run the calls posted (see Post).
constexpr UINT kRunPostedMessage = WM_APP + 1;

// The timer that looks at the folder followed, and how often: a change shows
// within this much of the system's notice (the session then waits for the
// files to settle). The timers of PostAfter come after it, one a call.
constexpr UINT_PTR kFolderTimerId = 1;
constexpr UINT_PTR kFirstPostedTimerId = 2;
constexpr UINT kFolderLookMilliseconds = 100;

}  // namespace

EventLoopWindow::EventLoopWindow(HINSTANCE instance) : nextTimerId_(kFirstPostedTimerId) {
  RegisterWindowClass(instance, kWindowClass, nullptr, nullptr);
  CreateBound(instance, kWindowClass, L"", 0, 0, 0, 0, HWND_MESSAGE);
}

LRESULT EventLoopWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunPostedMessage:
      RunPosted();
      return 0;
    case WM_TIMER:
      if (wParam == kFolderTimerId) {
        LookAtFolder();
      } else {
        RunTimer(wParam);
      }
      return 0;
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

// The calls wait in the window, which one message wakes.
void EventLoopWindow::Post(Call call) {
  const std::lock_guard lock(postedLock_);
  posted_.push_back(std::move(call));
  if (posted_.size() == 1 && IsOpen()) ::PostMessageW(hwnd(), kRunPostedMessage, 0, 0);
}

void EventLoopWindow::RunPosted() {
  std::vector<Call> calls;
  {
    const std::lock_guard lock(postedLock_);
    calls.swap(posted_);
  }
  for (auto& call : calls) call();
}

// One timer a call, killed when it first fires: the call runs once.
void EventLoopWindow::PostAfter(std::chrono::milliseconds delay, Call call) {
  const auto milliseconds = static_cast<UINT>(std::clamp<std::chrono::milliseconds::rep>(
      delay.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM));
  const UINT_PTR id = nextTimerId_++;
  if (!IsOpen() || ::SetTimer(hwnd(), id, milliseconds, nullptr) == 0) {
    Post(std::move(call));  // sooner than asked rather than never
    return;
  }
  timed_.emplace(id, std::move(call));
}

void EventLoopWindow::RunTimer(UINT_PTR id) {
  ::KillTimer(hwnd(), id);
  const auto timed = timed_.find(id);
  if (timed == timed_.end()) return;
  const Call call = std::move(timed->second);
  timed_.erase(timed);
  call();
}

bool EventLoopWindow::WatchFolder(const std::string& folder, FolderChanged changed) {
  if (!IsOpen()) return false;
  const std::wstring wide = Widen(NativeToUtf8(folder));
  if (!folderWatch_ || wide != watchedFolder_) {
    StopWatching();
    auto watch = std::make_unique<FolderWatch>(wide);
    if (!watch->watching() || ::SetTimer(hwnd(), kFolderTimerId, kFolderLookMilliseconds, nullptr) == 0) return false;
    folderWatch_ = std::move(watch);
    watchedFolder_ = wide;
  }
  folderChanged_ = std::move(changed);
  return true;
}

void EventLoopWindow::StopWatching() {
  if (IsOpen()) ::KillTimer(hwnd(), kFolderTimerId);
  folderWatch_.reset();
  watchedFolder_.clear();
  folderChanged_ = nullptr;
}

void EventLoopWindow::LookAtFolder() {
  if (!folderWatch_ || !folderChanged_) return;
  const std::optional<FolderEvents> events = folderWatch_->Take();
  if (!events) return;
  // A copy: the call may watch again, or stop.
  const FolderChanged changed = folderChanged_;
  if (events->folderGone) StopWatching();
  changed(*events);
}

}  // namespace vostrel::win32
