// libFuzzer entry: the PE reader over arbitrary bytes, looking up the three
// texts' names and one taken from the input. Besides the sanitizers, the
// answer must not depend on how the source hands out the bytes: the file
// reader gets them block by block, so a source that hands them out a few at a
// time must agree with one that hands out all of them, and the file reader
// itself (its reads, views and fallback blocks), given the same bytes as a
// memory file, must agree with the in-memory answer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "lookup/byte_reader.h"
#include "lookup/fuzz/fuzz_input.h"
#include "lookup/image_file.h"
#include "lookup/pe_exports.h"

namespace {

using peloc::fuzz::MemoryFile;
using peloc::fuzz::NameFromInput;

// Hands out at most `piece` bytes per fetch.
class ChoppedBytes {
 public:
  ChoppedBytes(std::span<const std::byte> bytes, uint64_t piece) : bytes_(bytes), piece_(piece) {}
  uint64_t size() const { return bytes_.size(); }
  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) const {
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(std::min(maxLength, piece_)));
  }

 private:
  std::span<const std::byte> bytes_;
  uint64_t piece_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  peloc::MemoryBytes whole(bytes);
  const peloc::ByteReader<peloc::MemoryBytes> image(whole);
  // The piece size varies with the input, from 1 to 16 bytes.
  ChoppedBytes chopped(bytes, size == 0 ? 1 : 1 + std::to_integer<uint64_t>(bytes[0]) % 16);
  const peloc::ByteReader<ChoppedBytes> choppedImage(chopped);

  const MemoryFile file(bytes);
  const std::string path = file.path();

  for (const std::string_view name : {std::string_view("MapName"), std::string_view("TechtreeName"),
                                      std::string_view("LevelDesc"), NameFromInput(bytes)}) {
    const uint32_t expected = peloc::FindExportOffset(image, name);
    if (expected != peloc::FindExportOffset(choppedImage, name)) __builtin_trap();
    // An empty file is refused before it is read, whatever the bytes say.
    const std::string terminated(name);
    const char* names = terminated.c_str();
    uint32_t fromFile = 0;
    peloc::FindExportsInFile(path.c_str(), &names, 1, &fromFile);
    if (!bytes.empty() && expected != fromFile) __builtin_trap();
  }
  return 0;
}
