// The results table's texts: a cell's one bounded line, a tooltip's text, and
// the printed (copied) form of rows.
#include <iconv.h>

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "ui/core/table_text.h"

namespace vostrel {
namespace {

const std::string kBreak(kCellBreakMark);
const std::string kCut(kCutMark);

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(TableText, CellsAreOneBoundedLineAndTipsKeepTheLineBreaks) {
  constexpr std::size_t N = kCellCharacters;
  constexpr std::size_t T = kTipCharacters;
  const std::string a(N, 'a');
  struct Case {
    const char* name;
    std::string text;
    std::string cell;
    std::string tip;
  };
  const Case cases[] = {
      {"short", "Crater Basin", "Crater Basin", "Crater Basin"},
      {"empty", "", "", ""},
      {"breaks and a tab", "Objectives:\r\n- Hold\rthe\nbridge\tnow\r\n\r\n",
       "Objectives:" + kBreak + "- Hold" + kBreak + "the" + kBreak + "bridge" + kBreak + "now" + kBreak + kBreak,
       "Objectives:\n- Hold\nthe\nbridge\tnow\n\n"},
      {"UTF-8 kept whole", "Ch\xC3\xA2teau \xE2\x82\xAC \xF0\x9F\x8C\x89", "Ch\xC3\xA2teau \xE2\x82\xAC \xF0\x9F\x8C\x89",
       "Ch\xC3\xA2teau \xE2\x82\xAC \xF0\x9F\x8C\x89"},
      {"exactly the bound", a, a, std::string(T, 'a') + kCut},
      {"one more", a + "b", a + kCut, std::string(T, 'a') + kCut},
      // The cut falls after the last whole character, never inside one.
      {"cut after a character of three bytes", std::string(N - 1, 'a') + "\xE2\x82\xAC\xC3\xA9",
       std::string(N - 1, 'a') + "\xE2\x82\xAC" + kCut, std::string(T, 'a') + kCut},
      {"CR LF at the bound is one break", std::string(N - 1, 'a') + "\r\nb", std::string(N - 1, 'a') + kBreak + kCut,
       std::string(T, 'a') + kCut},
      {"tip bound", std::string(T - 1, 'a') + "\r\n" + "bc", std::string(T - 1, 'a') + kBreak + "bc",
       std::string(T - 1, 'a') + "\n" + kCut},
      // Not UTF-8: each byte that begins no character counts as one, as the escape writes it.
      {"stray continuation bytes", std::string(4 * N + 9, '\x80'), std::string(N, '\x80') + kCut,
       std::string(T, '\x80') + kCut},
  };
  for (const Case& c : cases) {
    // Compared whole, reported by size: the texts run to tens of kilobytes.
    const std::string cell = CellText(c.text);
    const std::string tip = TipText(c.text);
    EXPECT_TRUE(cell == c.cell) << c.name << ": " << cell.size() << " bytes, not " << c.cell.size();
    EXPECT_EQ(IsCutInCell(c.text), c.cell.ends_with(kCut)) << c.name;
    EXPECT_TRUE(tip == c.tip) << c.name << ": " << tip.size() << " bytes, not " << c.tip.size();
  }
  // A text far beyond the bound costs no more than the bound.
  EXPECT_EQ(CellText(Repeat("\xC3\xA9\r\n", N)).size(), Repeat("\xC3\xA9" + kBreak, N / 2).size() + kCut.size());
}

TEST(EscapeField, WritesOneLineOfPrintableUtf8) {
  struct Case {
    std::string text;
    std::string field;
  };
  const Case cases[] = {
      {"Crater Basin", "Crater Basin"},
      {"", ""},
      {"a\tb", "a\\tb"},
      {"line\r\nnext\n", "line\\r\\nnext\\n"},
      {"C:\\Games\\t", "C:\\\\Games\\\\t"},  // a backslash before t is no tab
      {"\\\t\\", "\\\\\\t\\\\"},
      // Valid UTF-8 stands, from U+00A0 (right after the C1 controls) to U+10FFFF.
      {"Ch\xC3\xA2teau \xE2\x82\xAC \xC2\xA0\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBD\xF0\x9F\x8C\x89\xF4\x8F\xBF\xBF",
       "Ch\xC3\xA2teau \xE2\x82\xAC \xC2\xA0\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBD\xF0\x9F\x8C\x89\xF4\x8F\xBF\xBF"},
      {"\x1b[31mred\x07\x7f", "\\x1b[31mred\\x07\\x7f"},
      {std::string("\0\x01\x0b\x0c\x1f ~", 7), "\\x00\\x01\\x0b\\x0c\\x1f ~"},
      {"\xC2\x80\xC2\x85\xC2\x9F", "\\u0080\\u0085\\u009f"},
      {"\xE9t\xE9", "\\xe9t\\xe9"},                                     // Windows-1252, not UTF-8
      {"\x80\xBF", "\\x80\\xbf"},                                       // continuation bytes alone
      {"\xC0\xAF\xC1\xBF", "\\xc0\\xaf\\xc1\\xbf"},                     // overlong, two bytes
      {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},                              // overlong, three
      {"\xF0\x8F\xBF\xBF", "\\xf0\\x8f\\xbf\\xbf"},                     // overlong, four
      {"\xED\xA0\x80\xED\xBF\xBF", "\\xed\\xa0\\x80\\xed\\xbf\\xbf"},  // surrogates
      {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},                     // past U+10FFFF
      {"\xF5\x80\x80\x80\xFE\xFF", "\\xf5\\x80\\x80\\x80\\xfe\\xff"},
      {"\xE2\x82" "a\xE2\x82", "\\xe2\\x82" "a\\xe2\\x82"},            // cut short
      {"\xC2\xC3\xA9", "\\xc2\xC3\xA9"},                                // a lead byte, then a character
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeField(c.text), c.field) << c.field;
  // Messages keep their backslashes (Windows paths) and escape the rest.
  EXPECT_EQ(EscapeMessage("Cannot list C:\\Games\\\x1b\xE9\xC2\x85\t"), "Cannot list C:\\Games\\\\x1b\\xe9\\u0085\\t");
}

// The field, decoded by iconv, which takes only valid UTF-8: its code points.
std::u32string Utf8CodePoints(const std::string& utf8) {
  const iconv_t cd = ::iconv_open("UTF-32LE", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::u32string points(utf8.size(), U'\0');
  auto* in = const_cast<char*>(utf8.data());
  auto* out = reinterpret_cast<char*>(points.data());
  std::size_t inLeft = utf8.size();
  std::size_t outLeft = points.size() * sizeof(char32_t);
  const std::size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
  ::iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not UTF-8: " + utf8);
  points.resize(points.size() - outLeft / sizeof(char32_t));
  return points;
}

// The text a field was escaped from.
std::string Unescaped(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      text += field[i];
      continue;
    }
    const char kind = field.at(++i);
    if (kind == 't' || kind == 'n' || kind == 'r' || kind == '\\') {
      text += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : '\\';
    } else {
      const std::size_t digits = kind == 'x' ? 2 : 4;
      const auto value = std::stoul(std::string(field.substr(i + 1, digits)), nullptr, 16);
      if (kind == 'u') text += '\xC2';  // a C1 control
      text += static_cast<char>(value);
      i += digits;
    }
  }
  return text;
}

// Random texts of bytes, most of them near the edges of UTF-8's ranges: each
// field is valid UTF-8 without a control character, and gives its text back.
TEST(EscapeField, EveryTextGivesPrintableUtf8ThatTellsItExactly) {
  const unsigned char edges[] = {0x00, 0x07, 0x09, 0x0A, 0x0D, 0x1B, 0x1F, 0x20, 0x41, 0x5C, 0x7E, 0x7F, 0x80, 0x8F,
                                 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  std::mt19937 random(20240611);
  for (int round = 0; round < 50000; ++round) {
    std::string text(random() % 8, '\0');
    for (char& c : text) c = static_cast<char>(random() % 3 == 0 ? random() % 256 : edges[random() % std::size(edges)]);
    const std::string field = EscapeField(text);
    std::u32string points;
    ASSERT_NO_THROW(points = Utf8CodePoints(field)) << EscapeField(field);
    for (const char32_t point : points) {
      ASSERT_TRUE(point >= 0x20 && point != 0x7F && (point < 0x80 || point > 0x9F)) << field;
    }
    ASSERT_EQ(Unescaped(field), text) << field;
  }
}

TEST(TableText, RowsAreCopiedAsPrinted) {
  const TableRow row{{"m.dll", "Map\tName", "", "Hold\r\nthe bridge \\ now"}};
  EXPECT_EQ(row.Line(), "m.dll\tMap\\tName\t\tHold\\r\\nthe bridge \\\\ now\n");
  EXPECT_EQ(row.Cell(3), "Hold\r\nthe bridge \\ now");
  EXPECT_EQ(row.Cell(4), "");
  const TableRow message{{"No DLL's found!", "", "", ""}, true};
  EXPECT_EQ(message.Line(), "No DLL's found!\n");
  EXPECT_EQ(message.Cell(0), "No DLL's found!");
}

}  // namespace
}  // namespace vostrel
