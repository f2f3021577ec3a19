// UTF-8 under RFC 3629: each boundary of what is a character, what a byte
// that begins none decodes to, and where a text cut inside a character ends.
#include <gtest/gtest.h>

#include <string>

#include "scanner/utf8.h"

namespace vostrel {
namespace {

// An invalid unit in the expected units: kInvalid + its byte.
constexpr char32_t kInvalid = 0x110000;

std::u32string Units(std::string_view text) {
  std::u32string units;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const auto character = utf8::DecodeNext(text, i);
    units += character ? *character : kInvalid + static_cast<unsigned char>(text[start]);
  }
  return units;
}

TEST(Utf8, DecodesAndCutsUnderOneRule) {
  constexpr char32_t X = kInvalid;
  struct Case {
    const char* name;
    std::string bytes;
    std::u32string units;
    std::size_t whole;  // WholeCharacters
  };
  const Case cases[] = {
      {"empty", "", U"", 0},
      {"ASCII", "A~\x7F", U"A~\x7F", 3},
      {"first and last of two bytes", "\xC2\x80\xDF\xBF", U"\u0080\u07FF", 4},
      {"first of three", "\xE0\xA0\x80", U"\u0800", 3},
      {"around the surrogates", "\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", U"\uD7FF\uE000\uFFFF", 9},
      {"first and last of four", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", U"\U00010000\U0010FFFF", 8},
      {"overlong, two bytes", "\xC0\xAF\xC1\xBF", {X + 0xC0, X + 0xAF, X + 0xC1, X + 0xBF}, 4},
      {"overlong, three", "\xE0\x9F\xBF", {X + 0xE0, X + 0x9F, X + 0xBF}, 3},
      {"overlong, four", "\xF0\x8F\xBF\xBF", {X + 0xF0, X + 0x8F, X + 0xBF, X + 0xBF}, 4},
      {"surrogate D800", "\xED\xA0\x80", {X + 0xED, X + 0xA0, X + 0x80}, 3},
      {"surrogate DFFF", "\xED\xBF\xBF", {X + 0xED, X + 0xBF, X + 0xBF}, 3},
      {"U+110000", "\xF4\x90\x80\x80", {X + 0xF4, X + 0x90, X + 0x80, X + 0x80}, 4},
      {"past U+10FFFF", "\xF4\x90\x82\x80", {X + 0xF4, X + 0x90, X + 0x82, X + 0x80}, 4},
      {"never a lead byte", "\xF5\x80\x80\x80\xFF", {X + 0xF5, X + 0x80, X + 0x80, X + 0x80, X + 0xFF}, 5},
      {"stray continuation bytes", "\x80\xC3\xA9\xBF", {X + 0x80, U'\u00E9', X + 0xBF}, 4},
      {"a lead byte, then a character", "\xC2\xC3\xA9", {X + 0xC2, U'\u00E9'}, 3},
      {"cut short, then more", "\xE2\x82" "a", {X + 0xE2, X + 0x82, U'a'}, 3},
      {"cut short at the end: two of three", "a\xE2\x82", {U'a', X + 0xE2, X + 0x82}, 1},
      {"cut short at the end: three of four", "\xF0\x9F\x8C", {X + 0xF0, X + 0x9F, X + 0x8C}, 0},
      {"cut short at the end: a lead byte", "\xC3\xA9\xC3", {U'\u00E9', X + 0xC3}, 2},
      {"at the end, no character's start", "\xE0\x80", {X + 0xE0, X + 0x80}, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Units(c.bytes), c.units) << c.name;
    EXPECT_EQ(utf8::WholeCharacters(c.bytes), c.whole) << c.name;
  }
  // Every scalar value is written as it is read back.
  for (char32_t character = 0; character <= 0x10FFFF; ++character) {
    if (character == 0xD800) character = 0xE000;
    std::string bytes;
    utf8::Append(character, bytes);
    std::size_t position = 0;
    ASSERT_EQ(utf8::DecodeNext(bytes, position), character) << std::hex << static_cast<unsigned>(character);
    ASSERT_EQ(position, bytes.size()) << std::hex << static_cast<unsigned>(character);
  }
}

}  // namespace
}  // namespace vostrel
