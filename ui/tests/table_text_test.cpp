// The results table's texts: a cell's one bounded line, a tooltip's text, and
// the printed (copied) form of rows.
#include <gtest/gtest.h>

#include <string>

#include "table_text.h"

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
      // Not UTF-8: stray continuation bytes still end within four bytes a character.
      {"stray continuation bytes", std::string(4 * N + 9, '\x80'), std::string(4 * N, '\x80') + kCut,
       std::string(4 * T, '\x80') + kCut},
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

TEST(EscapeField, KeepsEachRowOnOneLine) {
  EXPECT_EQ(EscapeField("Crater Basin"), "Crater Basin");
  EXPECT_EQ(EscapeField(""), "");
  EXPECT_EQ(EscapeField("a\tb"), "a\\tb");
  EXPECT_EQ(EscapeField("line\r\nnext\n"), "line\\r\\nnext\\n");
  EXPECT_EQ(EscapeField("C:\\Games\\t"), "C:\\\\Games\\\\t");  // a backslash before t is no tab
  EXPECT_EQ(EscapeField("\\\t\\"), "\\\\\\t\\\\");
  EXPECT_EQ(EscapeField("Ch\xC3\xA2teau \xE2\x82\xAC"), "Ch\xC3\xA2teau \xE2\x82\xAC");  // UTF-8 untouched
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
