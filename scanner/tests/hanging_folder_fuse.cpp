#define FUSE_USE_VERSION 31
#include "scanner/tests/hanging_folder.h"

#include <fuse.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace vostrel::testing {

struct HangingFolder::Served {
  std::map<std::string, std::string> files;
  std::set<std::string> hanging;
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;  // under the lock
  int waiting = 0;        // reads waiting, under the lock

  static Served& Of() { return *static_cast<Served*>(fuse_get_context()->private_data); }
  const std::string* File(const char* path) const {
    const auto found = files.find(path[0] == '/' ? path + 1 : path);
    return found != files.end() ? &found->second : nullptr;
  }
};

namespace {

int GetAttributes(const char* path, struct stat* status, fuse_file_info*) {
  *status = {};
  if (std::strcmp(path, "/") == 0) {
    status->st_mode = S_IFDIR | 0755;
    status->st_nlink = 2;
    return 0;
  }
  const std::string* file = HangingFolder::Served::Of().File(path);
  if (file == nullptr) return -ENOENT;
  status->st_mode = S_IFREG | 0444;
  status->st_nlink = 1;
  status->st_size = static_cast<off_t>(file->size());
  return 0;
}

int ReadFolder(const char*, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
  fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
  fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
  for (const auto& [name, bytes] : HangingFolder::Served::Of().files) {
    fill(buffer, name.c_str(), nullptr, 0, fuse_fill_dir_flags{});
  }
  return 0;
}

int Open(const char* path, fuse_file_info* info) {
  if (HangingFolder::Served::Of().File(path) == nullptr) return -ENOENT;
  info->direct_io = 1;  // every read reaches the file system: none is served from the cache
  return 0;
}

int Read(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info*) {
  HangingFolder::Served& served = HangingFolder::Served::Of();
  const std::string* file = served.File(path);
  if (file == nullptr) return -ENOENT;
  if (served.hanging.contains(path + 1)) {
    // As a network file system that stalls: an interrupt from the kernel
    // (the reading process killed) ends the read, which otherwise waits.
    std::unique_lock lock(served.mutex);
    ++served.waiting;
    served.changed.notify_all();
    while (!served.changed.wait_for(lock, std::chrono::milliseconds(10), [&] { return served.released; })) {
      if (fuse_interrupted() != 0) {
        --served.waiting;
        return -EINTR;
      }
    }
    --served.waiting;
  }
  if (offset < 0 || static_cast<std::size_t>(offset) >= file->size()) return 0;
  const std::size_t count = std::min(size, file->size() - static_cast<std::size_t>(offset));
  std::memcpy(buffer, file->data() + offset, count);
  return static_cast<int>(count);
}

// The kernel's interrupts reach the reads (fuse_interrupted); the signal
// the library sends the thread that reads is caught and does nothing.
constexpr int kInterruptSignal = SIGUSR1;

void* Init(fuse_conn_info*, fuse_config* config) {
  config->intr = 1;
  config->intr_signal = kInterruptSignal;
  return fuse_get_context()->private_data;
}

constexpr fuse_operations kOperations = [] {
  fuse_operations operations{};
  operations.init = Init;
  operations.getattr = GetAttributes;
  operations.readdir = ReadFolder;
  operations.open = Open;
  operations.read = Read;
  return operations;
}();

}  // namespace

HangingFolder::HangingFolder(std::map<std::string, std::string> files, std::set<std::string> hanging)
    : served_(std::make_unique<Served>()) {
  struct sigaction ignore {};
  ignore.sa_handler = [](int) {};
  sigaction(kInterruptSignal, &ignore, nullptr);
  served_->files = std::move(files);
  served_->hanging = std::move(hanging);
  char program[] = "hanging_folder";
  char* argv[] = {program, nullptr};
  fuse_args args = FUSE_ARGS_INIT(1, argv);
  fuse_ = fuse_new(&args, &kOperations, sizeof kOperations, served_.get());
  fuse_opt_free_args(&args);
  if (fuse_ == nullptr) throw NoFuse("FUSE cannot be set up here");
  if (fuse_mount(fuse_, mountPoint_.str().c_str()) != 0) {
    fuse_destroy(fuse_);
    throw NoFuse("FUSE cannot be mounted here (no /dev/fuse, or no right to mount)");
  }
  // Threads of its own for each request, so that a read that waits holds up no other.
  loop_ = std::thread([this] { fuse_loop_mt(fuse_, 0); });
}

HangingFolder::~HangingFolder() {
  Release();
  fuse_exit(fuse_);
  // Where the kernel lets this process unmount (root), the folder goes first:
  // the loop's workers then see their device end and return, and its
  // descriptor is closed only once they have. Elsewhere fuse_unmount (through
  // fusermount3) both unmounts and closes it under them.
  const bool unmounted = ::umount2(mountPoint_.str().c_str(), MNT_DETACH) == 0;
  if (!unmounted) fuse_unmount(fuse_);
  loop_.join();
  if (unmounted) fuse_unmount(fuse_);
  fuse_destroy(fuse_);
}

bool HangingFolder::WaitForHangingRead() {
  std::unique_lock lock(served_->mutex);
  return served_->changed.wait_for(lock, std::chrono::seconds(60), [this] { return served_->waiting > 0; });
}

void HangingFolder::Release() {
  const std::lock_guard lock(served_->mutex);
  served_->released = true;
  served_->changed.notify_all();
}

}  // namespace vostrel::testing
