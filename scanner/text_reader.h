// Reading the zero-terminated text that begins at a byte offset of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "text_encoding.h"

namespace vostrel {

// The file could not be opened, positioned or read.
class TextReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No bound on the bytes of a text that are read.
inline constexpr std::size_t kWholeText = std::numeric_limits<std::size_t>::max();
// Ends a text that was cut: "…".
inline constexpr std::string_view kCutMark = "\xE2\x80\xA6";

// The text from byte `lngOffset` of the file `strFile` (native path) up to the
// first zero byte or the end of the file, decoded by `decoder`, as UTF-8.
// At most `maxBytes` bytes of the text are read: a text that goes on past
// them is cut between two characters and ends in kCutMark. Offset 0 (the
// lookup's "not found") gives the empty text without touching the file.
// The text is read and decoded a block at a time, so that it is held whole
// only once, decoded. Throws TextReadError on failure.
std::string ReadToFirstNull(const std::string& strFile, int32_t lngOffset, const TextDecoder& decoder,
                            std::size_t maxBytes = kWholeText);

}  // namespace vostrel
