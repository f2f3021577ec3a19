// TextDecoder on every platform: characters of each code page as Windows
// decodes them, and texts decoded in pieces as whole.
#include <gtest/gtest.h>

#include <string>

#include "scanner/text_encoding.h"

namespace vostrel {
namespace {

struct DecodeCase {
  CodePage codePage;
  std::string bytes;
  std::string utf8;
};

TEST(TextDecoder, DecodesEachCodePageAsWindowsDoes) {
  const DecodeCase cases[] = {
      {874, "\xA1\xE0\x80", "\u0E01\u0E40\u20AC"},
      {874, "\xDB\xFF", "\uF8C1\uF8C8"},  // unassigned: private use
      {932, "\x82\xA0\x88\x9F\xB1", "\u3042\u4E9C\uFF71"},
      {932, "\x81\x5F\x81\x60", "\uFF3C\uFF5E"},
      {932, "\xF0\x40\xF9\xFC", "\uE000\uE757"},  // user-defined area
      {932, "\x80\xA0\xFD", "\u0080\uF8F0\uF8F1"},
      {932, "\x81\x20" "A\x81", "\u30FB" "A\u30FB"},  // a byte that is no second byte goes with its lead
      {936, "\xB0\xA1\x81\x40\x80", "\u554A\u4E02\u20AC"},
      {936, "\xAA\xA1\xF8\xA1\xA1\x40\xA2\xAB\xFE\xA0", "\uE000\uE234\uE4C6\uE766\uE864"},
      {936, "\x81\x7F\xFF\x81", "?\uF8F5?"},
      {949, "\xB0\xA1\x81\x41", "\uAC00\uAC02"},
      {949, "\xC9\xA1\xFE\xFE\xA2\xE8", "\uE000\uE0BB?"},
      {950, "\xA4\x40\xA1\x40\xF9\xFE", "\u4E00\u3000\u2593"},
      {950, "\xFA\x40\x8E\x40\x81\x40\xC6\xA1", "\uE000\uE311\uEEB8\uF6B1"},
      {950, "\xA3\xC0\x80\xFF", "?\u0080\uF8F8"},
      {1250, "\xB9\x8A\x81", "\u0105\u0160\u0081"},
      {1251, "\xC0\xFF\x88\x98", "\u0410\u044F\u20AC\u0098"},
      {1252, "\x80\x81\x8D\x8F\x90\x9D\xE9", "\u20AC\u0081\u008D\u008F\u0090\u009D\u00E9"},
      {1253, "\xC1\xA2\xAA\xD2\xFF", "\u0391\u0386\uF8F9\uF8FA\uF8FB"},
      {1254, "\xD0\xFD", "\u011E\u0131"},
      {1255, "\xE0\xC8\xCA\xD4\xD9\xFF", "\u05D0\u05B8\u05BA\u05F0\uF88D\uF896"},
      {1256, "\xC7\x81\xFF", "\u0627\u067E\u06D2"},
      {1257, "\xE0\xA1\xA5", "\u0105\uF8FC\uF8FD"},
      // Windows never composes a letter and a following mark.
      {1258, "a\xEC" "A\xCC\xD2", "a\u0301" "A\u0300\u0309"},
      {1258, "\xC3\xD5\xDD\xF2\xFE", "\u0102\u01A0\u01AF\u0323\u20AB"},
  };
  for (const DecodeCase& test : cases) {
    EXPECT_EQ(TextDecoder(test.codePage).Decode(test.bytes), test.utf8) << test.codePage << " " << test.bytes;
  }
}

TEST(TextDecoder, DecodesTextsInPiecesAsWhole) {
  // ASCII, characters of two bytes, runs of lead bytes (pairs among them
  // whose second byte is itself a lead byte), a lead byte whose second byte
  // is none, a lead byte alone at the end, and a run of lead bytes from the
  // text's first byte.
  const DecodeCase texts[] = {
      {932, "Ab\x82\xA0\x81\x81\x81\x81\x81" "c\x88\x9F\x81\x20\x81", ""},
      {936, "Ab\xB0\xA1\x81\x81\x81\x81\x81" "c\xAA\xA1\x81\x20\x81", ""},
      {949, "Ab\xB0\xA1\x81\x81\x81\x81\x81" "c\xC9\xA1\x81\x20\x81", ""},
      {950, "Ab\xA4\x40\xA4\xA4\xA4\xA4\xA4" "c\xFA\x40\x81\x20\x81", ""},
      {949, "\xB0\xB0\xB0\xA1", ""},
      {1258, "Ab a\xEC\xC3\xD2", ""},
  };
  for (const DecodeCase& text : texts) {
    const TextDecoder decoder(text.codePage);
    const std::string whole = decoder.Decode(text.bytes);
    // As ReadToFirstNull reads: the first piece up to its last whole
    // character, what it holds back before the rest.
    for (std::size_t split = 0; split <= text.bytes.size(); ++split) {
      const std::string first = text.bytes.substr(0, split);
      const std::size_t kept = decoder.WholeCharacters(first);
      EXPECT_TRUE(kept == split || kept + 1 == split) << text.codePage << " split at " << split;
      std::string pieces;
      decoder.AppendDecoded(first.substr(0, kept), pieces);
      decoder.AppendDecoded(first.substr(kept) + text.bytes.substr(split), pieces);
      EXPECT_EQ(pieces, whole) << text.codePage << " split at " << split;
    }
  }
}

}  // namespace
}  // namespace vostrel
