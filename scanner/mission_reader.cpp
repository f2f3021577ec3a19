#include "mission_reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <numeric>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "read_only_file.h"
#include "text_reader.h"

namespace vostrel {

namespace {

// A mission DLL's headers, export table and texts lie in its first 16 KB,
// unless much code comes before them: then one read serves the lookup and
// the texts. (The game's own missions, 172 KB with the texts at the end,
// take a read more for the export data and one for the texts.)
constexpr std::size_t kHeadBytes = 16 * 1024;

// The lookup library's reads of the file, through the scan's open of it.
int32_t PELOC_CALL ReadForLookup(void* file, uint64_t offset, void* into, uint32_t length) noexcept {
  const std::optional<std::size_t> got =
      static_cast<ReadOnlyFile*>(file)->ReadAt(offset, std::span(static_cast<char*>(into), length));
  return got ? static_cast<int32_t>(*got) : -1;
}

// The three offsets, the file read through `file`, its first bytes kept for
// the texts. A file whose first bytes or size cannot be read is looked up as
// an empty one, which has none. A small mission costs one read: its size is
// known when the read comes back short.
void LookUp(LookupBinding& binding, const std::string& path, TextFile& file, MissionRead& read) {
  PelocImage image{0, nullptr, 0, ReadForLookup, &file.File()};
  try {
    const std::string_view head = file.Head(kHeadBytes);
    if (const std::optional<uint64_t> size = file.Size()) {
      image = {*size, head.data(), std::min<uint64_t>(head.size(), *size), ReadForLookup, &file.File()};
    }
  } catch (const TextReadError&) {
  }
  try {
    binding.GetOffsets(path, image, kMissionExports, read.offsets);
  } catch (const LookupUnavailable& error) {
    read.lookupUnavailable = error.what();
  } catch (const std::exception&) {
  }
}

void ReadTexts(TextFile& file, const TextDecoder& decoder, std::size_t maxTextBytes, MissionRead& read) {
  const auto& offsets = read.offsets;
  std::array<std::size_t, kMissionExports.size()> order{};
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
  for (const std::size_t i : order) {
    try {
      TextRead text = file.Read(offsets[i], decoder, maxTextBytes);
      read.texts[i] = std::move(text.text);
      read.cut = read.cut || text.cut;
    } catch (const std::exception&) {
    }
  }
}

bool NoneFound(const MissionRead& read) {
  return std::all_of(read.offsets.begin(), read.offsets.end(), [](int32_t offset) { return offset == 0; });
}

}  // namespace

MissionRead ReadMission(LookupBinding& binding, const std::string& path, const TextDecoder& decoder,
                        std::size_t maxTextBytes) {
  MissionRead read;
  // The lookup answers 0 for a file it cannot open, as for one without the
  // exports: the open for the texts comes first, and says why it failed.
  OpenFailure failure;
  std::optional<ReadOnlyFile> opened = ReadOnlyFile::Open(path, &failure);
  if (!opened) {
    if (!failure.gone) read.unreadable = std::move(failure.reason);
    return read;
  }
  TextFile file(path, std::move(*opened));
  LookUp(binding, path, file, read);
  if (NoneFound(read)) return read;
  ReadTexts(file, decoder, maxTextBytes, read);
  return read;
}

void ReadMissionTexts(const std::string& path, const TextDecoder& decoder, std::size_t maxTextBytes,
                      MissionRead& read) {
  read.texts = {};
  read.cut = false;
  if (NoneFound(read)) return;
  try {
    TextFile file(path);
    ReadTexts(file, decoder, maxTextBytes, read);
  } catch (const std::exception&) {
  }
}

}  // namespace vostrel
