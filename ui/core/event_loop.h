// The services of a window's event loop that the toolkit-free core uses:
// calls run later from the loop, and a watch on a folder. Each window gives
// its toolkit's (Qt's, Win32's); the tests give their own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace vostrel {

class EventLoop {
 public:
  using Call = std::function<void()>;

  virtual ~EventLoop() = default;

  // Runs `call` from the loop, after the handler that posts it has returned;
  // never from inside this call. Safe from any thread while the loop lives
  // (a scan's thread posts its notices so).
  virtual void Post(Call call) = 0;
  // Runs `call` from the loop once `delay` has passed. From the loop's thread.
  virtual void PostAfter(std::chrono::milliseconds delay, Call call) = 0;
  // Watches `folder` (native text) until StopWatching or the next call:
  // `changed` runs from the loop after the changes the system reports of the
  // folder and of the files in it, written in place included. False when the
  // system cannot watch the folder. From the loop's thread.
  virtual bool WatchFolder(const std::string& folder, Call changed) = 0;
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
  void Post(EventLoop::Call call) { loop_.Post(Guarded(std::move(call))); }
  void PostAfter(std::chrono::milliseconds delay, EventLoop::Call call) {
    loop_.PostAfter(delay, Guarded(std::move(call)));
  }
  // `call`, to run only while these calls are not taken back: for handing
  // to the loop another way (a folder watch, a post from another thread).
  // The guard is checked where the call runs, on the loop's thread.
  EventLoop::Call Guarded(EventLoop::Call call) const {
    return [alive = std::weak_ptr<const char>(alive_), call = std::move(call)] {
      if (!alive.expired()) call();
    };
  }
  // Takes back every call handed so far.
  void Cancel() { alive_ = std::make_shared<const char>(); }

 private:
  EventLoop& loop_;
  std::shared_ptr<const char> alive_ = std::make_shared<const char>();
};

}  // namespace vostrel
