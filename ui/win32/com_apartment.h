// The thread's membership in a COM apartment, for as long as its owner lives:
// the shell's folder completion is a COM object.
#pragma once

#include <objbase.h>

namespace vostrel::win32 {

class ComApartment {
 public:
  // A thread already in the multithreaded apartment stays there, and this
  // object then leaves it alone.
  ComApartment() : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (joined_) ::CoUninitialize();
  }

 private:
  bool joined_;
};

}  // namespace vostrel::win32
