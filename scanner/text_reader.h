// Reading the zero-terminated text that begins at a byte offset of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/read_only_file.h"
#include "scanner/text_encoding.h"

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

// A text as read, and whether it was cut at the bytes allowed.
struct TextRead {
  std::string text;
  bool cut = false;
};

// One file opened once for reading any number of its texts. The last block
// read is kept: texts that lie close together come out of one read, when
// they are read in the order they lie in the file.
class TextFile {
 public:
  // Opens the file (native path); throws TextReadError, with the system's
  // reason, when it cannot.
  explicit TextFile(const std::string& path);
  // Reads the file already opened at `path`.
  TextFile(std::string path, ReadOnlyFile file);

  // The text at `lngOffset`, as ReadToFirstNull gives it.
  TextRead Read(int32_t lngOffset, const TextDecoder& decoder, std::size_t maxBytes = kWholeText);
  // The bytes of the text at `lngOffset` as the file holds them, up to the
  // zero byte, the end of the file or `maxBytes` of them.
  std::string Bytes(int32_t lngOffset, std::size_t maxBytes);

 private:
  std::string_view BytesFrom(std::uint64_t position, std::size_t readBytes);

  std::string path_;
  ReadOnlyFile file_;
  std::vector<char> block_;
  std::uint64_t blockStart_ = 0;
  std::size_t blockBytes_ = 0;               // how many bytes of block_ hold the file's
  std::optional<std::uint64_t> fileEnd_;     // known once a read came back short
};

}  // namespace vostrel
