#include "mission_reader.h"

#include <algorithm>
#include <exception>
#include <numeric>

#include "text_reader.h"

namespace vostrel {

MissionRead ReadMission(LookupBinding& binding, const std::string& path, const TextDecoder& decoder,
                        std::size_t maxTextBytes) {
  MissionRead read;
  for (std::size_t i = 0; i < kMissionExports.size(); ++i) {
    try {
      read.offsets[i] = binding.GetOffset(path, kMissionExports[i]);
    } catch (const LookupUnavailable& error) {
      if (!read.lookupUnavailable) read.lookupUnavailable = error.what();
    } catch (const std::exception&) {
    }
  }
  ReadMissionTexts(path, decoder, maxTextBytes, read);
  return read;
}

void ReadMissionTexts(const std::string& path, const TextDecoder& decoder, std::size_t maxTextBytes,
                      MissionRead& read) {
  read.texts = {};
  read.cut = false;
  const auto& offsets = read.offsets;
  if (std::all_of(offsets.begin(), offsets.end(), [](int32_t offset) { return offset == 0; })) return;
  try {
    TextFile file(path);
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
  } catch (const std::exception&) {
  }
}

}  // namespace vostrel
