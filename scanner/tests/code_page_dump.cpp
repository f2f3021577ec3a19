// Prints what TextDecoder makes of every byte and every double-byte pair of
// code pages, one line each, so that the Linux tables and Windows' own
// conversion can be compared with the same files (the codepage_* tests):
//   code_page_dump [CODEPAGE...]     (default: every code page of kCodePages)
// Lines: the code page and the bytes, a tab, the characters they decode to:
// "932 81 40<tab>U+3000"; a byte that waits for a second one (a lead byte, by
// WholeCharacters) is marked "lead" before what it decodes to on its own.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/text_encoding.h"

namespace {

using vostrel::CodePage;
using vostrel::TextDecoder;

// The code points of UTF-8 text, "U+XXXX" each, separated by blanks; a byte
// that is no part of a well-formed character shows as "?XX" (a decoder fault).
std::string CodePoints(std::string_view utf8) {
  std::string shown;
  std::array<char, 16> field{};
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    unsigned long codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    bool wellFormed = length > 0 && i + length <= utf8.size();
    for (std::size_t k = 1; wellFormed && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      wellFormed = (next & 0xC0) == 0x80;
      codePoint = codePoint << 6 | (next & 0x3Fu);
    }
    if (wellFormed) {
      std::snprintf(field.data(), field.size(), "U+%04lX", codePoint);
      i += length;
    } else {
      std::snprintf(field.data(), field.size(), "?%02X", static_cast<unsigned>(lead));
      ++i;
    }
    if (!shown.empty()) shown += ' ';
    shown += field.data();
  }
  return shown;
}

void Dump(const TextDecoder& decoder) {
  const CodePage codePage = decoder.codePage();
  std::vector<unsigned> leads;
  for (unsigned first = 1; first < 256; ++first) {
    const std::string one(1, static_cast<char>(first));
    const bool lead = decoder.WholeCharacters(one) == 0;
    if (lead) leads.push_back(first);
    std::printf("%u %02X\t%s%s\n", codePage, first, lead ? "lead " : "", CodePoints(decoder.Decode(one)).c_str());
  }
  for (const unsigned first : leads) {
    for (unsigned second = 0; second < 256; ++second) {
      const std::string two{static_cast<char>(first), static_cast<char>(second)};
      std::printf("%u %02X %02X\t%s\n", codePage, first, second, CodePoints(decoder.Decode(two)).c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<CodePage> codePages;
    for (int i = 1; i < argc; ++i) codePages.push_back(static_cast<CodePage>(std::strtoul(argv[i], nullptr, 10)));
    if (codePages.empty()) {
      for (const auto& codePage : vostrel::kCodePages) codePages.push_back(codePage.number);
    }
    for (const CodePage codePage : codePages) Dump(TextDecoder(codePage));
    return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "code_page_dump: %s\n", error.what());
    return EXIT_FAILURE;
  }
}
