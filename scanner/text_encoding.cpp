// What TextDecoder does alike on every platform; the lead-byte test under it
// is each platform's own.
#include "scanner/text_encoding.h"

namespace vostrel {

std::size_t TextDecoder::WholeCharacters(std::string_view bytes) const {
  // A byte that is no lead byte ends a character, alone or as a second byte.
  // The lead bytes after the last of them pair up from the first (a second
  // byte may take a lead byte's value), so an odd run ends in a lead byte
  // whose second byte is still to come.
  std::size_t leads = 0;
  while (leads < bytes.size() && IsLeadByte(static_cast<unsigned char>(bytes[bytes.size() - 1 - leads]))) ++leads;
  return bytes.size() - leads % 2;
}

}  // namespace vostrel
