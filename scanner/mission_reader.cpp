#include "scanner/mission_reader.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>

#include "scanner/read_only_file.h"
#include "scanner/text_reader.h"

namespace vostrel {

namespace {

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
    } catch (const std::exception&) {
    }
  }
}

bool NoneFound(const MissionRead& read) {
  return std::all_of(read.offsets.begin(), read.offsets.end(), [](int32_t offset) { return offset == 0; });
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
  for (std::size_t i = 0; i < kMissionExports.size(); ++i) {
    try {
      read.offsets[i] = binding.GetOffset(path, kMissionExports[i]);
    } catch (const LookupUnavailable& error) {
      if (!read.lookupUnavailable) read.lookupUnavailable = error.what();
    } catch (const std::exception&) {
    }
  }
  if (NoneFound(read)) return read;
  TextFile file(path, std::move(*opened));
  ReadTexts(file, decoding, maxTextBytes, read);
  return read;
}

void ReadMissionTexts(const std::string& path, const TextDecoding& decoding, std::size_t maxTextBytes,
                      MissionRead& read) {
  read.texts = {};
  read.cut = false;
  read.codePage = {};
  if (NoneFound(read)) return;
  try {
    TextFile file(path);
    ReadTexts(file, decoding, maxTextBytes, read);
  } catch (const std::exception&) {
  }
}

}  // namespace vostrel
