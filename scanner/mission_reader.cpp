#include "scanner/mission_reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <numeric>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "scanner/read_only_file.h"
#include "scanner/text_reader.h"

namespace vostrel {

namespace {

// A small mission (up to 16 KB) is read whole, with one read, which serves
// the lookup and the texts. Of a larger one only the first page, which holds
// the headers, is read at first: the game's own missions (172 KB) keep their
// texts and export table at the end, which the lookup's reads then bring in
// one block (TextFile::ReadNear). A mission not in memory costs the disk two
// reads, where a first read of 16 KB (the kernel reading ahead of it) would
// cost more than the floor's first page.
constexpr std::size_t kWholeBytes = 16 * 1024;
constexpr std::size_t kHeadBytes = 4 * 1024;

// The lookup library's reads of the file, through the scan's open of it and
// what it keeps for the texts.
int32_t PELOC_CALL ReadForLookup(void* file, uint64_t offset, void* into, uint32_t length) noexcept {
  const std::optional<std::size_t> got =
      static_cast<TextFile*>(file)->ReadNear(offset, std::span(static_cast<char*>(into), length));
  return got ? static_cast<int32_t>(*got) : -1;
}

// The three offsets, the file read through `file`, what was read kept for
// the texts. A file whose size or first bytes cannot be read is looked up as
// an empty one, which has none.
void LookUp(LookupBinding& binding, const std::string& path, TextFile& file, MissionRead& read) {
  PelocImage image{0, nullptr, 0, ReadForLookup, &file};
  try {
    if (const std::optional<uint64_t> size = file.Size()) {
      const std::string_view head = file.Head(*size <= kWholeBytes ? static_cast<std::size_t>(*size) : kHeadBytes);
      image = {*size, head.data(), std::min<uint64_t>(head.size(), *size), ReadForLookup, &file};
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

void ReadTexts(TextFile& file, const TextDecoding& decoding, std::size_t maxTextBytes, MissionRead& read) {
  const auto& offsets = read.offsets;
  std::array<std::size_t, kMissionExports.size()> order{};
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
  // The code page is judged from the three texts' first bytes together.
  std::array<std::string, kMissionExports.size()> samples;
  if (decoding.automatic()) {
    for (const std::size_t i : order) {
      try {
        samples[i] = file.Bytes(offsets[i], kDetectionBytes);
      } catch (const std::exception&) {
      }
    }
  }
  const std::array<std::string_view, kMissionExports.size()> sampled{samples[0], samples[1], samples[2]};
  read.codePage = decoding.CodePageOf(sampled);
  const TextDecoder& decoder = decoding.Decoder(read.codePage.codePage);
  for (const std::size_t i : order) {
    try {
      TextRead text = file.Read(offsets[i], decoder, maxTextBytes);
      read.texts[i] = std::move(text.text);
      read.cut = read.cut || text.cut;
    } catch (const TextReadError& error) {
      // The file is said as one that cannot be read and has no row, rather
      // than a row that lacks a text.
      read.unreadable = error.what();
      read.texts = {};
      read.cut = false;
      return;
    } catch (const std::exception&) {
    }
  }
}

bool NoneFound(const MissionRead& read) {
  return std::all_of(read.offsets.begin(), read.offsets.end(), [](uint32_t offset) { return offset == 0; });
}

}  // namespace

MissionRead ReadMission(LookupBinding& binding, const std::string& path, const TextDecoding& decoding,
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
  TextFile file(std::move(*opened));
  LookUp(binding, path, file, read);
  if (NoneFound(read)) return read;
  ReadTexts(file, decoding, maxTextBytes, read);
  return read;
}

void ReadMissionTexts(const std::string& path, const TextDecoding& decoding, std::size_t maxTextBytes,
                      MissionRead& read) {
  read.texts = {};
  read.cut = false;
  read.codePage = {};
  if (NoneFound(read)) return;
  read.unreadable.reset();  // a text read ahead that could not be read is tried again
  OpenFailure failure;
  std::optional<ReadOnlyFile> opened = ReadOnlyFile::Open(path, &failure);
  if (!opened) {
    if (!failure.gone) read.unreadable = std::move(failure.reason);
    return;
  }
  TextFile file(std::move(*opened));
  ReadTexts(file, decoding, maxTextBytes, read);
}

}  // namespace vostrel
