// The program's binding to the lookup library, made by name at run time on
// first use and kept for the rest of the run: GetOffset, and GetOffsets where
// the library has it (Peloc 1.1).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "peloc/peloc.h"
#include "scanner/shared_library.h"

namespace vostrel {

// The library or its entry could not be found; the next call tries again.
// Says which file found was damaged or cut short, of the other word size,
// for another machine or without GetOffset, and where the library was looked
// for.
class LookupUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LookupBinding {
 public:
  // Binds the library where the platform keeps it, never from the current
  // folder: on Windows Peloc.dll in the program's folder, then in the
  // system's; elsewhere libPeloc.so in the program's folder, then through
  // the loader's default search.
  LookupBinding();
  // Tries these library names or paths, in order, as given.
  explicit LookupBinding(std::vector<std::string> candidates);

  LookupBinding(const LookupBinding&) = delete;
  LookupBinding& operator=(const LookupBinding&) = delete;

  // The offset of the export's data in the file (native path), unsigned 32-bit
  // as the library gives it (up to 4 GiB - 1); 0 when not found. Throws
  // LookupUnavailable when the library cannot be bound. Safe from several
  // threads at once, as GetOffset itself is.
  uint32_t GetOffset(const std::string& path, const std::string& exportName);

  // The offsets of `names` in the file at `path` (native path), as GetOffset
  // gives each: through `image`, the caller's open of the file, with one
  // GetOffsets where the library has it; else by path, one GetOffset a name
  // (Peloc 1.0). Throws LookupUnavailable as GetOffset does.
  void GetOffsets(const std::string& path, const PelocImage& image, std::span<const char* const> names,
                  std::span<uint32_t> offsets);

 private:
  struct Entries {
    PelocGetOffsetFn getOffset = nullptr;
    PelocGetOffsetsFn getOffsets = nullptr;  // null in Peloc 1.0
  };

  const Entries& Bind();

  const std::vector<std::string> candidates_;
  std::mutex binding_;  // one thread binds at a time
  std::optional<SharedLibrary> library_;
  Entries entries_;                          // filled once, before bound_ points at it
  std::atomic<const Entries*> bound_ = nullptr;
};

}  // namespace vostrel
