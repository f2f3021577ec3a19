// Reading the zero-terminated text that begins at a byte offset of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/read_only_file.h"
#include "scanner/text_encoding.h"

namespace vostrel {

// The file could not be opened or read. what() is the system's reason, in
// UTF-8 ("Permission denied"), to be said after the file's name.
class TextReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No bound on the bytes of a text that are read.
inline constexpr std::size_t kWholeText = std::numeric_limits<std::size_t>::max();
// Ends a text that was cut: "…".
inline constexpr std::string_view kCutMark = "\xE2\x80\xA6";

// The text from byte `lngOffset` of the file `strFile` (native path) up to the
// first zero byte or the end of the file, decoded by `decoder`, as UTF-8. The
// offset is the lookup's unsigned 32-bit one: any up to 4 GiB - 1.
// At most `maxBytes` bytes of the text are read: a text that goes on past
// them is cut between two characters and ends in kCutMark. Offset 0 (the
// lookup's "not found") gives the empty text without touching the file.
// The text is read and decoded a block at a time, so that it is held whole
// only once, decoded. Throws TextReadError on failure.
std::string ReadToFirstNull(const std::string& strFile, uint32_t lngOffset, const TextDecoder& decoder,
                            std::size_t maxBytes = kWholeText);

// A text as read, and whether it was cut at the bytes allowed.
struct TextRead {
  std::string text;
  bool cut = false;
};

// One file opened once for reading any number of its texts. Its first bytes
// (when Head read them) and the last block read are kept: texts that lie
// close together come out of one read, when they are read in the order they
// lie in the file.
class TextFile {
 public:
  // Opens the file (native path); throws TextReadError, with the system's
  // reason, when it cannot.
  explicit TextFile(const std::string& path);
  // Reads the file already opened.
  explicit TextFile(ReadOnlyFile file);

  // The text at `lngOffset`, as ReadToFirstNull gives it.
  TextRead Read(uint32_t lngOffset, const TextDecoder& decoder, std::size_t maxBytes = kWholeText);
  // The bytes of the text at `lngOffset` as the file holds them, up to the
  // zero byte, the end of the file or `maxBytes` of them.
  std::string Bytes(uint32_t lngOffset, std::size_t maxBytes);

  // The file's first `bytes` bytes (fewer in a shorter file), read and kept:
  // texts that lie in them are read without another read. Throws
  // TextReadError.
  std::string_view Head(std::size_t bytes);
  // The file's size, asked of the system once; empty when it cannot say.
  std::optional<std::uint64_t> Size();
  // Up to into.size() bytes at `offset` (fewer only at the end of the file),
  // for the lookup library: from what is kept when it holds them, else read
  // with as much before them as makes a block of kNearBytes, which is kept,
  // so that texts that lie just before (where a mission keeps them, ahead of
  // its export table) need no read of their own. Empty on a failed read.
  std::optional<std::size_t> ReadNear(std::uint64_t offset, std::span<char> into) noexcept;

  static constexpr std::size_t kNearBytes = 16 * 1024;

 private:
  // A piece of the file held in memory.
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::uint64_t start = 0;
    std::size_t count = 0;  // how many bytes from `start` hold the file's

    bool Holds(std::uint64_t position, std::size_t length) const {
      return position >= start && position - start <= count && length <= count - (position - start);
    }
    // What it holds from `position` on; empty when it holds nothing there.
    std::string_view From(std::uint64_t position) const;
  };

  std::string_view BytesFrom(std::uint64_t position, std::size_t readBytes);
  // Reads `bytes` at `position` into `block` (fewer at the end of the file).
  // Throws TextReadError.
  std::string_view Fill(Block& block, std::uint64_t position, std::size_t bytes);

  ReadOnlyFile file_;
  Block head_;                            // the file's first bytes, once Head read them
  Block last_;                            // the last block read elsewhere
  std::optional<std::uint64_t> fileEnd_;  // known once a read came back short
  std::optional<std::uint64_t> size_;     // once asked
};

}  // namespace vostrel
