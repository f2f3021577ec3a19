// Whether a shared library's file is whole before the loader maps it: the
// loader maps a file's segments without reading them, and touching a page
// past the end of a cut file kills the process (SIGBUS).
#pragma once

#include <cstdint>

namespace vostrel {

enum class LibraryFileVerdict {
  kWhole,         // a shared object of this machine, every part it names inside the file
  kOtherMachine,  // a whole ELF file, but no shared object of this machine's class, byte order and processor
  kDamaged,       // not ELF, cut short, or naming parts that lie past its end
};

// Reads the ELF header, the program and section header tables of the file
// open on `fd`, of `size` bytes, and checks that the file holds every
// segment's and every section's bytes.
LibraryFileVerdict CheckLibraryFile(int fd, uint64_t size);

}  // namespace vostrel
