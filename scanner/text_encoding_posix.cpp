// Linux has no ANSI code page: mission texts are decoded by tables built once
// per code page from iconv's converters of the Windows code pages, mended
// where those differ from Windows' own conversion. File names are UTF-8 (or
// any bytes) already.
#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "handle/unique_handle.h"
#include "i18n/translation.h"
#include "scanner/text_encoding.h"
#include "scanner/utf8.h"

namespace vostrel {
namespace {

struct ConversionTraits {
  static iconv_t Invalid() noexcept { return reinterpret_cast<iconv_t>(-1); }
  static void Release(iconv_t cd) noexcept { ::iconv_close(cd); }
};

class Converter {
 public:
  // From the code page to wchar_t (UCS-4 with glibc), one character per query.
  explicit Converter(const std::string& from) : cd_(::iconv_open("WCHAR_T", from.c_str())) {
    if (!cd_) throw std::invalid_argument(Translated("iconv cannot convert {encoding}", {{"encoding", from}}));
  }

  // The one character `bytes` give on their own, or none when iconv rejects
  // them, wants more, or gives other than one character of the BMP.
  std::optional<char16_t> Character(std::string_view bytes) {
    ::iconv(cd_.get(), nullptr, nullptr, nullptr, nullptr);  // nothing carried over from the last query
    auto* in = const_cast<char*>(bytes.data());               // iconv's interface is not const-correct
    std::size_t inLeft = bytes.size();
    std::array<wchar_t, 4> out{};
    auto* outPosition = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = sizeof out;
    constexpr auto kFailed = static_cast<std::size_t>(-1);
    if (::iconv(cd_.get(), &in, &inLeft, &outPosition, &outLeft) == kFailed) return std::nullopt;
    // glibc's CP1255 and CP1258 hold a letter back to compose it with a mark
    // that may follow; Windows never composes, so the letter is taken alone.
    if (::iconv(cd_.get(), nullptr, nullptr, &outPosition, &outLeft) == kFailed) return std::nullopt;
    if (inLeft != 0 || sizeof out - outLeft != sizeof(wchar_t)) return std::nullopt;
    if (out[0] < 0 || out[0] > 0xFFFF) return std::nullopt;
    return static_cast<char16_t>(out[0]);
  }

 private:
  handle::UniqueHandle<ConversionTraits> cd_;
};

struct ByteRange {
  unsigned first;
  unsigned last;  // below `first`: an empty range
  bool Holds(unsigned byte) const { return byte >= first && byte <= last; }
};
constexpr ByteRange kNoBytes{1, 0};

// Windows' double-byte code pages: their lead bytes, and the character Windows
// gives a pair it assigns nothing to, a lead byte followed by a byte that is
// no second byte (which it takes as the pair's), and a lead byte that ends a
// text or comes before a zero byte.
struct DoubleByteLayout {
  CodePage codePage;
  std::array<ByteRange, 2> leads;
  char16_t defaultCharacter;
};
constexpr std::array<DoubleByteLayout, 4> kDoubleByteLayouts{{
    {932, {{{0x81, 0x9F}, {0xE0, 0xFC}}}, u'\u30FB'},
    {936, {{{0x81, 0xFE}, kNoBytes}}, u'?'},
    {949, {{{0x81, 0xFE}, kNoBytes}}, u'?'},
    {950, {{{0x81, 0xFE}, kNoBytes}}, u'?'},
}};

// Bytes Windows assigns that glibc's converters leave out, mostly to the
// private use area: consecutive code points from `first`. (Other bytes left
// out in 0x80-0x9F give the C1 control of the same value.)
struct ByteAssignment {
  CodePage codePage;
  ByteRange bytes;
  char16_t first;
};
constexpr std::array<ByteAssignment, 16> kByteAssignments{{
    {874, {0xDB, 0xDE}, u'\uF8C1'},
    {874, {0xFC, 0xFF}, u'\uF8C5'},
    {932, {0xA0, 0xA0}, u'\uF8F0'},
    {932, {0xFD, 0xFF}, u'\uF8F1'},
    {936, {0xFF, 0xFF}, u'\uF8F5'},
    {949, {0xFF, 0xFF}, u'\uF8F7'},
    {950, {0xFF, 0xFF}, u'\uF8F8'},
    {1253, {0xAA, 0xAA}, u'\uF8F9'},
    {1253, {0xD2, 0xD2}, u'\uF8FA'},
    {1253, {0xFF, 0xFF}, u'\uF8FB'},
    {1255, {0xCA, 0xCA}, u'\u05BA'},  // hebrew point holam haser for vav, which glibc lacks
    {1255, {0xD9, 0xDF}, u'\uF88D'},
    {1255, {0xFB, 0xFC}, u'\uF894'},
    {1255, {0xFF, 0xFF}, u'\uF896'},
    {1257, {0xA1, 0xA1}, u'\uF8FC'},
    {1257, {0xA5, 0xA5}, u'\uF8FD'},
}};

// Pairs Windows maps to the private use area and glibc's converters leave
// out: the user-defined (EUDC) areas, row by row over the second bytes the
// code page uses. The pairs of an entry that are still left out when it
// comes get consecutive code points from `first`, in byte order.
struct PairAssignment {
  CodePage codePage;
  ByteRange leads;
  std::array<ByteRange, 2> seconds;
  char16_t first;
};
constexpr std::array<PairAssignment, 9> kPairAssignments{{
    {936, {0xAA, 0xAF}, {{{0xA1, 0xFE}, kNoBytes}}, u'\uE000'},
    {936, {0xF8, 0xFE}, {{{0xA1, 0xFE}, kNoBytes}}, u'\uE234'},
    {936, {0xA1, 0xA7}, {{{0x40, 0x7E}, {0x80, 0xA0}}}, u'\uE4C6'},
    // then every other pair of GBK's grid that glibc leaves out
    {936, {0x81, 0xFE}, {{{0x40, 0x7E}, {0x80, 0xFE}}}, u'\uE766'},
    {949, {0xC9, 0xC9}, {{{0xA1, 0xFE}, kNoBytes}}, u'\uE000'},
    {949, {0xFE, 0xFE}, {{{0xA1, 0xFE}, kNoBytes}}, u'\uE05E'},
    {950, {0xFA, 0xFE}, {{{0x40, 0x7E}, {0xA1, 0xFE}}}, u'\uE000'},
    {950, {0x8E, 0xA0}, {{{0x40, 0x7E}, {0xA1, 0xFE}}}, u'\uE311'},
    {950, {0x81, 0x8D}, {{{0x40, 0x7E}, {0xA1, 0xFE}}}, u'\uEEB8'},
}};

const DoubleByteLayout* FindDoubleByteLayout(CodePage codePage) {
  for (const DoubleByteLayout& layout : kDoubleByteLayouts) {
    if (layout.codePage == codePage) return &layout;
  }
  return nullptr;
}

constexpr std::uint8_t kNotLead = 0xFF;
constexpr char16_t kLeftOut = 0;  // while the tables are built: nothing yet
constexpr char16_t kReplacement = u'\uFFFD';

}  // namespace

CodePage DefaultCodePage() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return AnsiCodePageOfLocale(value);
  }
  return AnsiCodePageOfLocale("");
}

struct TextDecoder::Tables {
  CodePage codePage;
  // What each byte gives on its own (a lead byte: at the end of a text).
  std::array<char16_t, 256> single{};
  // Each lead byte's row of `pairs`, or kNotLead.
  std::array<std::uint8_t, 256> leadRow{};
  // What each lead byte gives with each second byte.
  std::vector<std::array<char16_t, 256>> pairs;
};

namespace {

// Fills what glibc left out of the single bytes, as Windows gives them.
void FillBytes(CodePage codePage, std::array<char16_t, 256>& single) {
  for (const ByteAssignment& assignment : kByteAssignments) {
    if (assignment.codePage != codePage) continue;
    for (unsigned byte = assignment.bytes.first; byte <= assignment.bytes.last; ++byte) {
      if (single[byte] == kLeftOut) {
        single[byte] = static_cast<char16_t>(assignment.first + (byte - assignment.bytes.first));
      }
    }
  }
  for (unsigned byte = 0x80; byte < 0xA0; ++byte) {
    if (single[byte] == kLeftOut) single[byte] = static_cast<char16_t>(byte);
  }
  // Nothing is left with glibc 2.36; a converter that lacks more shows here.
  for (char16_t& character : single) {
    if (character == kLeftOut) character = kReplacement;
  }
  single[0] = u'\0';
}

// Fills what glibc left out of the pairs, as Windows gives them.
void FillPairs(const DoubleByteLayout& layout, const std::array<std::uint8_t, 256>& leadRow,
               std::vector<std::array<char16_t, 256>>& pairs) {
  for (const PairAssignment& assignment : kPairAssignments) {
    if (assignment.codePage != layout.codePage) continue;
    auto next = static_cast<unsigned>(assignment.first);
    for (unsigned lead = assignment.leads.first; lead <= assignment.leads.last; ++lead) {
      if (leadRow[lead] == kNotLead) continue;
      auto& row = pairs[leadRow[lead]];
      for (unsigned second = 1; second < 256; ++second) {
        const bool used = assignment.seconds[0].Holds(second) || assignment.seconds[1].Holds(second);
        if (used && row[second] == kLeftOut) row[second] = static_cast<char16_t>(next++);
      }
    }
  }
  for (auto& row : pairs) {
    for (char16_t& character : row) {
      if (character == kLeftOut) character = layout.defaultCharacter;
    }
  }
}

}  // namespace

TextDecoder::TextDecoder(CodePage codePage) {
  if (!FindCodePage(codePage)) {
    throw std::invalid_argument(Translated("no such code page: {number}", {{"number", std::to_string(codePage)}}));
  }
  auto tables = std::make_unique<Tables>();
  tables->codePage = codePage;
  tables->leadRow.fill(kNotLead);
  // One query per byte and per pair, so that glibc's converters compose
  // nothing and every invalid sequence is told apart.
  Converter converter("CP" + std::to_string(codePage));
  const DoubleByteLayout* layout = FindDoubleByteLayout(codePage);
  for (unsigned byte = 1; byte < 256; ++byte) {
    const bool lead = layout != nullptr && (layout->leads[0].Holds(byte) || layout->leads[1].Holds(byte));
    if (!lead) {
      tables->single[byte] = converter.Character(std::string(1, static_cast<char>(byte))).value_or(kLeftOut);
      continue;
    }
    tables->single[byte] = layout->defaultCharacter;
    tables->leadRow[byte] = static_cast<std::uint8_t>(tables->pairs.size());
    auto& row = tables->pairs.emplace_back();
    row.fill(kLeftOut);
    for (unsigned second = 1; second < 256; ++second) {
      const std::string pair{static_cast<char>(byte), static_cast<char>(second)};
      row[second] = converter.Character(pair).value_or(kLeftOut);
    }
  }
  FillBytes(codePage, tables->single);
  if (layout != nullptr) FillPairs(*layout, tables->leadRow, tables->pairs);
  tables_ = std::move(tables);
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&&) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&&) noexcept = default;

CodePage TextDecoder::codePage() const { return tables_->codePage; }

bool TextDecoder::IsLeadByte(unsigned char byte) const { return tables_->leadRow[byte] != kNotLead; }

void TextDecoder::AppendDecoded(std::string_view bytes, std::string& utf8) const {
  const Tables& tables = *tables_;
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {  // the same in UTF-8 and every one of these code pages
      std::size_t end = i + 1;
      while (end < size && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      utf8.append(bytes.data() + i, end - i);
      i = end;
      continue;
    }
    char16_t character = tables.single[byte];
    ++i;
    if (const std::uint8_t row = tables.leadRow[byte]; row != kNotLead && i < size && bytes[i] != '\0') {
      character = tables.pairs[row][static_cast<unsigned char>(bytes[i])];
      ++i;
    }
    utf8::Append(character, utf8);
  }
}

std::string NativeToUtf8(std::string_view native) { return std::string(native); }

std::string Utf8ToNative(std::string_view utf8) { return std::string(utf8); }

}  // namespace vostrel
