// Reading the zero-terminated text that begins at a byte offset of a file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vostrel {

// The file could not be opened, positioned or read.
class TextReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The text from byte `lngOffset` of the file `strFile` (native path) up to the
// first zero byte or the end of the file, decoded through the ANSI code page,
// as UTF-8. Offset 0 (the lookup's "not found") gives the empty text without
// touching the file. Throws TextReadError on failure.
std::string ReadToFirstNull(const std::string& strFile, int32_t lngOffset);

}  // namespace vostrel
