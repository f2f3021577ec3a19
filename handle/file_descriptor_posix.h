// POSIX: the owner of a file descriptor, closed when its owner goes.
#pragma once

#include <unistd.h>

#include "handle/unique_handle.h"

namespace handle {

struct FileDescriptorTraits {
  static int Invalid() noexcept { return -1; }
  static void Release(int fd) noexcept { ::close(fd); }
};
using FileDescriptor = UniqueHandle<FileDescriptorTraits>;

}  // namespace handle
