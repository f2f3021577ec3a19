// GetOffsets, since 1.1: several names of one file, the file read once, by
// the library itself (image_file_*) or through what the caller holds of it.
#include <algorithm>
#include <cstddef>
#include <span>

#include "lookup/byte_reader.h"
#include "lookup/file_bytes.h"
#include "lookup/image_file.h"
#include "lookup/pe_exports.h"
#include "peloc/peloc.h"

namespace peloc {
namespace {

// The bytes past the caller's head, through the caller's read. An answer out
// of range (more than asked, or an error) ends the read there: what it left
// unread the lookup takes as bytes it cannot have.
class CallerReads {
 public:
  // The most asked of the caller's read at once, as PelocReadFn promises.
  static constexpr uint64_t kMostPerRead = uint64_t{1} << 30;

  CallerReads(PelocReadFn read, void* file) : read_(read), file_(file) {}

  uint64_t operator()(std::byte* into, uint64_t offset, uint64_t length) const {
    if (read_ == nullptr) return 0;
    uint64_t got = 0;
    while (got < length) {
      const auto asked = static_cast<uint32_t>(std::min(length - got, kMostPerRead));
      const int32_t n = read_(file_, offset + got, into + got, asked);
      if (n <= 0 || static_cast<uint32_t>(n) > asked) break;
      got += static_cast<uint32_t>(n);
    }
    return got;
  }

 private:
  PelocReadFn read_;
  void* file_;
};

uint32_t FindExportsInImage(const PelocImage& held, const char* const* names, uint32_t count, uint32_t* offsets) {
  std::fill_n(offsets, count, 0u);
  // An empty file is no image, as GetOffset finds it; a head the caller does
  // not hold, or longer than the file, is a caller's mistake, answered alike.
  if (held.size == 0 || held.headSize > held.size || (held.head == nullptr && held.headSize != 0)) return 0;
  const std::span<const std::byte> head(static_cast<const std::byte*>(held.head),
                                        static_cast<std::size_t>(held.headSize));
  FileBytes source(CallerReads(held.read, held.file), held.size, head);
  const ByteReader<FileBytes<CallerReads>> image(source);
  return FindExportOffsets(image, names, count, offsets);
}

}  // namespace
}  // namespace peloc

extern "C" PELOC_API uint32_t PELOC_CALL GetOffsets(const char* path, const PelocImage* image,
                                                    const char* const* exportNames, uint32_t count,
                                                    uint32_t* offsets) {
  if (offsets == nullptr) return 0;
  if (exportNames == nullptr || (image == nullptr && path == nullptr)) {
    std::fill_n(offsets, count, 0u);
    return 0;
  }
  if (image != nullptr) return peloc::FindExportsInImage(*image, exportNames, count, offsets);
  return peloc::FindExportsInFile(path, exportNames, count, offsets);
}
