#include "text_reader.h"

#include <array>
#include <fstream>
#include <limits>

#include "text_encoding.h"

namespace vostrel {

std::string ReadToFirstNull(const std::string& strFile, int32_t lngOffset) {
  if (lngOffset == 0) return {};  // the lookup found nothing: leave the file alone
  // The offset is a signed 32-bit value whose 1-based file position must fit
  // the same type: negative offsets and the largest one cannot be positioned to.
  if (lngOffset < 0) throw TextReadError("bad file position " + std::to_string(lngOffset));
  if (lngOffset == std::numeric_limits<int32_t>::max()) throw TextReadError("file position overflows");

  std::ifstream file(strFile, std::ios::binary);
  if (!file) throw TextReadError("cannot open " + strFile);
  if (!file.seekg(lngOffset)) throw TextReadError("cannot position in " + strFile);

  // Read in blocks; the text ends at the first zero byte or at the end of the file.
  std::string bytes;
  std::array<char, 4096> block{};
  while (true) {
    file.read(block.data(), block.size());
    const auto got = static_cast<std::size_t>(file.gcount());
    const std::string_view piece(block.data(), got);
    if (const auto zero = piece.find('\0'); zero != std::string_view::npos) {
      bytes.append(piece.substr(0, zero));
      break;
    }
    bytes.append(piece);
    if (file.eof()) break;
    if (!file) throw TextReadError("cannot read " + strFile);
  }
  return DecodeAnsi(bytes);
}

}  // namespace vostrel
