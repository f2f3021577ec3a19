#include "text_reader.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace vostrel {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

}  // namespace

std::string ReadToFirstNull(const std::string& strFile, int32_t lngOffset, const TextDecoder& decoder,
                            std::size_t maxBytes) {
  if (lngOffset == 0) return {};  // the lookup found nothing: leave the file alone
  // The offset is a signed 32-bit value whose 1-based file position must fit
  // the same type: negative offsets and the largest one cannot be positioned to.
  if (lngOffset < 0) throw TextReadError("bad file position " + std::to_string(lngOffset));
  if (lngOffset == std::numeric_limits<int32_t>::max()) throw TextReadError("file position overflows");

  std::ifstream file(strFile, std::ios::binary);
  if (!file) throw TextReadError("cannot open " + strFile);
  if (!file.seekg(lngOffset)) throw TextReadError("cannot position in " + strFile);

  // Each block is decoded as it comes; the bytes of a double-byte character
  // that a block's end splits are carried over to the next one.
  std::string text;
  std::string pending;
  std::array<char, kBlockBytes> block{};
  std::size_t textBytes = 0;  // bytes of the text read so far
  while (true) {
    file.read(block.data(), block.size());
    const auto got = static_cast<std::size_t>(file.gcount());
    std::string_view piece(block.data(), got);
    const auto zero = piece.find('\0');
    if (got < block.size() && !file.eof()) throw TextReadError("cannot read " + strFile);
    const bool ended = zero != std::string_view::npos || got < block.size();
    if (zero != std::string_view::npos) piece = piece.substr(0, zero);

    const bool cut = piece.size() > maxBytes - textBytes;
    if (cut) piece = piece.substr(0, maxBytes - textBytes);
    textBytes += piece.size();
    pending.append(piece);
    if (cut) {
      pending.resize(decoder.WholeCharacters(pending));
      decoder.AppendDecoded(pending, text);
      text += kCutMark;
      return text;
    }
    if (ended) {
      decoder.AppendDecoded(pending, text);
      return text;
    }
    const std::size_t whole = decoder.WholeCharacters(pending);
    decoder.AppendDecoded(std::string_view(pending).substr(0, whole), text);
    pending.erase(0, whole);
  }
}

}  // namespace vostrel
