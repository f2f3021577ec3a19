// Test-only: a folder whose file reads hang, as on a stalled network share:
// a FUSE file system served by the test process itself, on threads of its
// own. It lists the files given, with their bytes; a read of one of those
// named to hang waits until Release (or the folder goes). Linux only, and
// only where FUSE can be mounted (/dev/fuse, root or fusermount3).
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "scanner/tests/test_support.h"

struct fuse;

namespace vostrel::testing {

// FUSE cannot be mounted here: a test skips, saying why.
class NoFuse : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HangingFolder {
 public:
  // name -> bytes; `hanging`: the names whose reads wait. Throws NoFuse.
  HangingFolder(std::map<std::string, std::string> files, std::set<std::string> hanging);
  // Releases the reads, then unmounts (lazily: files still open lose their
  // file system) and waits for its threads.
  ~HangingFolder();
  HangingFolder(const HangingFolder&) = delete;
  HangingFolder& operator=(const HangingFolder&) = delete;

  std::string str() const { return mountPoint_.str(); }
  std::string operator/(std::string_view name) const { return mountPoint_ / name; }

  // Waits until a read of a hanging file waits; false when none came (the
  // wait's bound is far beyond any on a loaded machine).
  bool WaitForHangingRead();
  // From now on reads answer, those waiting too.
  void Release();

  // For the file system's callbacks.
  struct Served;

 private:
  TempFolder mountPoint_;
  std::unique_ptr<Served> served_;
  fuse* fuse_ = nullptr;
  std::thread loop_;
};

}  // namespace vostrel::testing
