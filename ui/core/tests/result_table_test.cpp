// The results table's model: the order its rows show in, and what it copies.
#include "ui/core/result_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/core/row_order.h"
#include "ui/core/table_text.h"
#include "ui/core/tests/sort_cases.h"

namespace vostrel {
namespace {

using testing::kSortCaseRows;
using testing::SortCaseOrder;

TableRow CaseRow(int index) {
  const auto& row = kSortCaseRows[static_cast<std::size_t>(index)];
  return {{std::string(row.dllName), std::string(row.mapName), "", ""}, false};
}

std::vector<std::string> Names(const ResultTable& table) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < table.size(); ++i) names.push_back(table.Row(i).texts.dllName);
  return names;
}

std::vector<std::string> Names(const SortCaseOrder& order) {
  std::vector<std::string> names;
  for (const int index : order) names.emplace_back(kSortCaseRows[static_cast<std::size_t>(index)].dllName);
  return names;
}

// Clicks on the headers, as a user gives them, each with the order it shows;
// rows added later (a second scan, a sorted table) take their places too.
TEST(ResultTable, SortsByTheClickedColumnEitherWayAndKeepsTheSort) {
  ResultTable table;
  std::vector<TableRow> rows;
  for (int i = 0; i < static_cast<int>(kSortCaseRows.size()); ++i) rows.push_back(CaseRow(i));
  table.Append(rows);
  EXPECT_TRUE(table.InOrder());
  EXPECT_EQ(Names(table), Names(testing::kListingOrder));

  struct Click {
    std::size_t column;
    SortCaseOrder shown;
  };
  for (const Click& click : {Click{0, testing::kByNameAscending}, Click{0, testing::kByNameDescending},
                             Click{1, testing::kByMapAscending}, Click{1, testing::kByMapDescending},
                             Click{0, testing::kByNameAscending}}) {
    const std::vector<std::string> before = Names(table);
    table.SortBy(table.ClickedSort(click.column));
    const std::vector<std::size_t> moved = table.Order();
    EXPECT_EQ(Names(table), Names(click.shown)) << "column " << click.column;
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(table.Row(moved[i]).texts.dllName, before[i]);
  }

  // A new scan, rows one at a time, a message row among them: the sort holds
  // and the message row goes first.
  table.Clear();
  for (int i = 0; i < static_cast<int>(kSortCaseRows.size()); ++i) {
    table.Append({CaseRow(i)});
    if (i == 3) table.Append({{{"No DLL's found!", "", "", ""}, true}});
  }
  EXPECT_FALSE(table.InOrder());
  table.Order();
  std::vector<std::string> expected{"No DLL's found!"};
  for (const std::string& name : Names(testing::kByNameAscending)) expected.push_back(name);
  EXPECT_EQ(Names(table), expected);
  EXPECT_EQ(table.Lines({2, 0}), "No DLL's found!\na100.dll\tBravo 10041\t\t\n");
}

TableRow Mission(std::string name, std::string map, std::string desc = "") {
  return {{std::move(name), std::move(map), "Standard Techtree", std::move(desc)}, false};
}

// Each change as the windows make it (a filter typed, a file changed, added
// or removed in the folder), under a sort: the rows that show, and where each
// row shown before went.
TEST(ResultTable, FiltersAndFollowsFilesKeepingTheOrder) {
  ResultTable table;
  table.SortBy({1, SortOrder::kAscending});
  table.Append({Mission("m3.dll", "Crater Basin", "Hold the ridge."), Mission("m1.dll", "\xC5\x81\xC3\xB3" "d\xC5\xBA"),
                {{"No DLL's found!", "", "", ""}, true}, Mission("m2.dll", "Twin Rivers", "Cross the BASIN at dawn.")});
  table.Order();
  struct Step {
    const char* what;
    std::function<std::vector<std::size_t>(ResultTable&)> change;
    std::vector<std::string> shown;
    std::size_t missions;
  };
  const Step steps[] = {
      {"every word, in any column, any case", [](ResultTable& t) { return t.Filter("  basin  HOLD "); },
       {"No DLL's found!", "m3.dll"}, 3},
      {"typing on narrows", [](ResultTable& t) { return t.Filter("basin HOLD t"); }, {"No DLL's found!", "m3.dll"}, 3},
      {"a shorter word widens", [](ResultTable& t) { return t.Filter("basin"); },
       {"No DLL's found!", "m3.dll", "m2.dll"}, 3},
      {"folded as the sort folds", [](ResultTable& t) { return t.Filter("\xC5\x81\xC3\x93" "D\xC5\xB9"); },
       {"No DLL's found!", "m1.dll"}, 3},
      {"a file read again moves and passes", [](ResultTable& t) { return t.Put(Mission("m3.dll", "\xC5\x82\xC3\xB3" "d\xC5\xBA Crater")); },
       {"No DLL's found!", "m1.dll", "m3.dll"}, 3},
      {"a new file takes its place", [](ResultTable& t) { return t.Put(Mission("m0.dll", "A \xC5\x81\xC3\xB3" "d\xC5\xBA")); },
       {"No DLL's found!", "m0.dll", "m1.dll", "m3.dll"}, 4},
      {"a file removed goes", [](ResultTable& t) { return t.Remove("m1.dll"); }, {"No DLL's found!", "m0.dll", "m3.dll"}, 3},
      {"no filter: all, in the sort's order", [](ResultTable& t) { return t.Filter(" "); },
       {"No DLL's found!", "m0.dll", "m2.dll", "m3.dll"}, 3},
      {"a name not held changes nothing", [](ResultTable& t) { return t.Remove("m9.dll"); },
       {"No DLL's found!", "m0.dll", "m2.dll", "m3.dll"}, 3},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const std::vector<std::string> before = Names(table);
    const std::vector<std::size_t> moved = step.change(table);
    EXPECT_EQ(Names(table), step.shown);
    EXPECT_EQ(table.MissionCount(), step.missions);
    EXPECT_EQ(table.ShownMissionCount(), step.shown.size() - 1);
    ASSERT_EQ(moved.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      const auto kept = std::find(step.shown.begin(), step.shown.end(), before[i]);
      if (kept == step.shown.end()) {
        EXPECT_EQ(moved[i], ResultTable::kGone) << before[i];
      } else {
        ASSERT_NE(moved[i], ResultTable::kGone) << before[i];
        EXPECT_EQ(table.Row(moved[i]).texts.dllName, before[i]);
      }
    }
  }
  // Without a sort, a file read again keeps its place and a new one comes last.
  ResultTable unsorted;
  unsorted.Append({Mission("b.dll", "B"), Mission("a.dll", "A")});
  unsorted.Put(Mission("b.dll", "Z"));
  unsorted.Put(Mission("0.dll", "0"));
  EXPECT_EQ(Names(unsorted), (std::vector<std::string>{"b.dll", "a.dll", "0.dll"}));
  EXPECT_EQ(unsorted.Row(0).texts.mapName, "Z");
}

// A word typed without its accents, or with them, finds the text as a search
// engine finds it, in every script; a letter of another script that looks
// the same does not. Each platform weighs letters by its own collation, and
// gives these answers on both.
TEST(ResultTable, FilterDisregardsCaseAccentsAndStrokes) {
  struct Case {
    const char* text;
    const char* word;
    bool found;
  };
  const Case cases[] = {
      {"Golden Łódź 22", "lodz", true},
      {"Lodz", "Łódź", true},
      {"Lo\u0301dz", "lódz", true},  // ó as o and a combining accent
      {"Wisłą", "wisla", true},
      {"ёлка", "елка", true},
      {"Αθήνας", "αθηνασ", true},
      {"Groß", "GROSS", true},
      {"gross", "groß", true},
      {"Đakovo Ørsted", "dakovo orsted", true},
      {"İstanbul", "istanbul", true},
      {"ＬÓＤŹ", "lodz", true},  // full width, beyond the two-byte characters
      {"Арена", "arena", false},  // in Cyrillic
      {"ёлка", "елки", false},
  };
  for (const Case& c : cases) {
    ResultTable table;
    table.Append({Mission("m.dll", c.text), {{"No DLL's found!", "", "", ""}, true}});
    table.Filter(c.word);
    EXPECT_EQ(table.ShownMissionCount(), c.found ? 1u : 0u) << EscapeField(c.text) << " / " << EscapeField(c.word);
  }
}

TEST(RowOrder, FoldsTheCapitalsOfTheScriptsItCovers) {
  const std::pair<char32_t, char32_t> pairs[] = {
      {U'M', U'm'},       {0xC9, 0xE9},     {0x141, 0x142},   {0x179, 0x17A}, {0x218, 0x219},
      {0x130, U'i'},      {0x3A3, 0x3C3},   {0x3C2, 0x3C3},   {0x38F, 0x3CE}, {0x41C, 0x43C},
      {0x401, 0x451},     {0x4C1, 0x4C2},   {0x1EA0, 0x1EA1}, {0x531, 0x561}, {0xFF21, 0xFF41}};
  for (const auto& [capital, small] : pairs) {
    EXPECT_EQ(FoldCase(capital), small) << std::hex << static_cast<unsigned>(capital);
    EXPECT_EQ(FoldCase(small), small) << std::hex << static_cast<unsigned>(small);
  }
  for (const char32_t uncased : {U'1', char32_t{0xD7}, char32_t{0xF7}, char32_t{0x131}, char32_t{0x5D0}, char32_t{0x3042}}) {
    EXPECT_EQ(FoldCase(uncased), uncased) << std::hex << static_cast<unsigned>(uncased);
  }
  // ŁÓDŹ and łódź differ only in case: what follows decides, a number by its value.
  EXPECT_LT(CompareCells("\xC5\x81\xC3\x93" "D\xC5\xB9 a", "\xC5\x82\xC3\xB3" "d\xC5\xBA b"), 0);
  EXPECT_LT(CompareCells("Golden \xC5\x81\xC3\xB3" "d\xC5\xBA 22", "Golden \xC5\x81\xC3\xB3" "d\xC5\xBA 10041"), 0);
  // Bytes that are not UTF-8 (a Linux file name) order apart from every character.
  EXPECT_GT(CompareCells("\xE9t\xE9.dll", "z.dll"), 0);
  EXPECT_LT(CompareCells("\xE9t\xE9.dll", "\xFF.dll"), 0);
  // Such bytes are read one at a time, as the escape writes them, so that
  // names differing there sort as their escaped forms do: past U+10FFFF, a
  // surrogate, an overlong form.
  const std::pair<std::string_view, std::string_view> before[] = {
      {"\x80" "a", "\xF4\x90\x82\x80"}, {"\xED\x80", "\xED\xA0\x80"}, {"\xC0", "\xE0\x80\x80"}};
  for (const auto& [first, second] : before) {
    EXPECT_LT(EscapeField(first), EscapeField(second));
    EXPECT_LT(CompareCells(first, second), 0) << EscapeField(first) << " " << EscapeField(second);
  }
}

}  // namespace
}  // namespace vostrel
