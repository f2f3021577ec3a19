#include "ui/core/tests/mission_writer.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "lookup/tests/pe_image_writer.h"

namespace vostrel::testing {
namespace {

constexpr std::string_view kFillerPhrase = "The convoy crosses the basin at dawn. ";
constexpr std::size_t kMapName = 0;  // places in the plan's exports, whose data the writer lays out in turn
constexpr std::size_t kLevelDesc = 2;
constexpr std::size_t kPieceBytes = kFillerPhrase.size() * 32768;  // about 1.2 MB, whole phrases

}  // namespace

std::string FillerText(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + kFillerPhrase.size());
  while (text.size() < bytes) text += kFillerPhrase;
  text.resize(bytes);
  return text;
}

namespace {

peloc::testing::ImagePlan MissionPlan(std::string_view mapName, std::string_view description) {
  peloc::testing::ImagePlan plan;
  plan.exports = {{"MapName", std::string(mapName)},
                  {"TechtreeName", "Standard Techtree"},
                  {"LevelDesc", std::string(description)}};
  return plan;
}

// The mission with its description's zero byte cut off, then `fillerBytes`
// bytes of `piece`, repeated. `runOnFromMapName`: the bytes from the end of
// the map name to the description (zero bytes and padding) become piece's
// first byte, so that every text runs on.
void WriteMissionRunningOn(const std::string& path, std::string_view mapName, std::string_view description,
                           std::uint64_t fillerBytes, const std::string& piece, bool runOnFromMapName = false) {
  peloc::testing::PeImage image = peloc::testing::WriteImage(MissionPlan(mapName, description));
  // The writer puts the last export's data last: cut its zero byte off.
  const std::vector<std::uint64_t>& data = image.layout().dataOffsets;
  if (fillerBytes > 0) image.Truncate(data[kLevelDesc] + description.size());
  if (runOnFromMapName && !piece.empty()) {
    const std::uint64_t mapNameEnd = data[kMapName] + mapName.size();
    // A few bytes within the image's own .data section.
    image.PokeBytes(mapNameEnd, std::string(static_cast<std::size_t>(data[kLevelDesc] - mapNameEnd), piece[0]));
  }
  image.SaveTo(path);
  if (fillerBytes == 0) return;

  std::ofstream out(path, std::ios::binary | std::ios::app);
  for (std::uint64_t left = fillerBytes; left > 0 && out;) {
    const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
    out.write(piece.data(), static_cast<std::streamsize>(bytes));
    left -= bytes;
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void WriteMission(const std::string& path, std::string_view mapName, std::string_view description,
                  std::uint64_t fillerBytes) {
  WriteMissionRunningOn(path, mapName, description, fillerBytes, fillerBytes > 0 ? FillerText(kPieceBytes) : "");
}

void WriteMissionWithTextsAt(const std::string& path, std::uint32_t textsOffset, std::string_view mapName,
                             std::string_view description) {
  peloc::testing::PeImage image = peloc::testing::WriteImage(MissionPlan(mapName, description));
  // The writer puts the .data section, which holds the texts, last.
  const std::uint64_t pointerField =
      image.SectionField(image.layout().dataSection, peloc::testing::section::PointerToRawData);
  const std::uint32_t dataStart = image.U32(pointerField);
  image.PokeU32(pointerField, textsOffset);
  const auto* bytes = reinterpret_cast<const char*>(image.bytes().data());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes, static_cast<std::streamsize>(dataStart));
  out.seekp(static_cast<std::streamoff>(textsOffset));
  out.write(bytes + dataStart, static_cast<std::streamsize>(image.size() - dataStart));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteDamagedMission(const std::string& path, std::string_view mapName, std::uint64_t fillerBytes,
                         char fillerByte, bool everyTextRunsOn) {
  if (fillerByte == '\0') throw std::invalid_argument("a zero byte would end the text");
  WriteMissionRunningOn(path, mapName, "", fillerBytes, std::string(kPieceBytes, fillerByte), everyTextRunsOn);
}

}  // namespace vostrel::testing
