// Sole ownership of a system handle (a descriptor, a Win32 handle, a mapped
// view, a GDI object, a menu): released once, when its owner goes or is
// given another. Header-only and free of exceptions, so that Peloc, built
// without them and linked against nothing but the system, and the program
// share it.
#pragma once

#include <utility>

namespace handle {

// Traits say what a kind of handle is:
//   static Handle Invalid() noexcept;      the value that holds nothing
//   static void Release(Handle) noexcept;  gives a valid handle back
template <class Traits>
class UniqueHandle {
 public:
  using Handle = decltype(Traits::Invalid());

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  bool valid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }
  // Gives the handle up unreleased, to whatever owns it now.
  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (valid()) Traits::Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// The traits of a handle that is a pointer, null when it holds nothing, and
// is given back by `release` (say ::DestroyMenu).
template <class Pointer, auto release>
struct NullInvalid {
  static Pointer Invalid() noexcept { return nullptr; }
  static void Release(Pointer handle) noexcept { release(handle); }
};

}  // namespace handle
