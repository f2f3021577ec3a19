#include "scanner/mission_reader.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <utility>

#include "scanner/read_only_file.h"
#include "scanner/text_reader.h"

namespace vostrel {

namespace {

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
  for (std::size_t i = 0; i < kMissionExports.size(); ++i) {
    try {
      read.offsets[i] = binding.GetOffset(path, kMissionExports[i]);
    } catch (const LookupUnavailable& error) {
      if (!read.lookupUnavailable) read.lookupUnavailable = error.what();
    } catch (const std::exception&) {
    }
  }
  if (NoneFound(read)) return read;
  TextFile file(std::move(*opened));
  ReadTexts(file, decoder, maxTextBytes, read);
  return read;
}

void ReadMissionTexts(const std::string& path, const TextDecoder& decoder, std::size_t maxTextBytes,
                      MissionRead& read) {
  read.texts = {};
  read.cut = false;
  if (NoneFound(read)) return;
  read.unreadable.reset();  // a text read ahead that could not be read is tried again
  OpenFailure failure;
  std::optional<ReadOnlyFile> opened = ReadOnlyFile::Open(path, &failure);
  if (!opened) {
    if (!failure.gone) read.unreadable = std::move(failure.reason);
    return;
  }
  TextFile file(std::move(*opened));
  ReadTexts(file, decoder, maxTextBytes, read);
}

}  // namespace vostrel
