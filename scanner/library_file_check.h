// Whether a shared library's file is one this program can load, read before
// the loader maps it. Linux: the loader maps a file's segments without
// reading them, and touching a page past the end of a cut file kills the
// process (SIGBUS). Windows: the loader refuses a cut DLL itself, but says a
// DLL of the other word size no differently from a damaged one.
#pragma once

#include <cstdint>
#include <optional>

#include "scanner/shared_library.h"

namespace vostrel {

// Reads the headers of the file open for reading as `file` (a descriptor on
// POSIX, a HANDLE on Windows), of `size` bytes. Nothing when it is a library
// of this program's word size and processor (on Linux also: a shared object
// that holds every segment's and every section's bytes); otherwise what is
// wrong with it (never kNotLoaded).
std::optional<LoadFailure> CheckLibraryFile(std::intptr_t file, std::uint64_t size);

}  // namespace vostrel
