// The services of a window's event loop that the toolkit-free core uses:
// calls run later from the loop, and a watch on a folder. Each window gives
// its toolkit's (Qt's, Win32's); the tests give their own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vostrel {

// What the system reported of a watched folder since its last report.
struct FolderEvents {
  // Native names of the files in it that were added, written, renamed (both
  // names) or removed, each once.
  std::vector<std::string> names;
  // Changes the system did not name (its queue overflowed, or it names none):
  // any file may have changed.
  bool unnamed = false;
  // The folder itself was deleted, renamed or unmounted, or the system can no
  // longer watch it: the watch has ended.
  bool folderGone = false;
};

class EventLoop {
 public:
  using Call = std::function<void()>;
  using FolderChanged = std::function<void(const FolderEvents&)>;

  virtual ~EventLoop() = default;

  // Runs `call` from the loop, after the handler that posts it has returned;
  // never from inside this call. Safe from any thread while the loop lives
  // (a scan's thread posts its notices so).
  virtual void Post(Call call) = 0;
  // Runs `call` from the loop once `delay` has passed. From the loop's thread.
  virtual void PostAfter(std::chrono::milliseconds delay, Call call) = 0;
  // Watches `folder` (native text) until StopWatching or the next call:
  // `changed` runs from the loop with the changes the system reports of the
  // folder and of the files in it, written in place included, several
  // reported together at once. False when the system cannot watch the
  // folder. From the loop's thread.
  virtual bool WatchFolder(const std::string& folder, FolderChanged changed) = 0;
  virtual void StopWatching() = 0;
};

// The calls one object hands to an event loop, taken back when the object
// goes (or cancels them): a call runs only if no Cancel came after it was
// handed, and its PostedCalls still lives. Used on the loop's thread.
class PostedCalls {
 public:
  explicit PostedCalls(EventLoop& loop) : loop_(loop) {}
  ~PostedCalls() { Cancel(); }
  PostedCalls(const PostedCalls&) = delete;
  PostedCalls& operator=(const PostedCalls&) = delete;

  EventLoop& loop() const { return loop_; }
  // `call`, to run only while these calls are not taken back: for handing
  // to the loop another way (a folder watch, a post from another thread).
  // The guard is checked where the call runs, on the loop's thread.
  template <class Function>
  auto Guarded(Function call) const {
    return [alive = std::weak_ptr<const char>(alive_), call = std::move(call)](const auto&... arguments) {
      if (!alive.expired()) call(arguments...);
    };
  }
  void Post(EventLoop::Call call) { loop_.Post(Guarded(std::move(call))); }
  void PostAfter(std::chrono::milliseconds delay, EventLoop::Call call) {
    loop_.PostAfter(delay, Guarded(std::move(call)));
  }
  // Takes back every call handed so far.
  void Cancel() { alive_ = std::make_shared<const char>(); }

 private:
  EventLoop& loop_;
  std::shared_ptr<const char> alive_ = std::make_shared<const char>();
};

}  // namespace vostrel
