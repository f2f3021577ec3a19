// Google Benchmark of the results table's order and texts over 30,000 rows:
// sorting by file name and by text, and the escaped and cell forms of texts.
// The rows mix ASCII with two- and three-byte characters, and a few file
// names hold bytes that are not UTF-8, as Linux file names may.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ui/core/row_order.h"
#include "ui/core/table_text.h"

namespace {

constexpr std::size_t kRows = 30000;

// Pieces of names and texts: ASCII, Latin-2, Cyrillic, Greek, Japanese, and
// (names only) bytes that are not UTF-8.
constexpr const char* kWords[] = {
    "Crater", "basin", "Ridge", "convoy", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\xBB" "ar\xC3\xB3w",
    "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82", "\xD0\xBC\xD0\xBE\xD1\x81\xD1\x82", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1",
    "\xE6\xA9\x8B", "\xE5\xB1\xB1\xE9\x81\x93", "Hold", "the", "line"};
constexpr const char* kNotUtf8[] = {"\xE9t\xE9", "\xF4\x90\x82\x80", "\x80", "\xC3"};

std::vector<std::string> Texts(bool names) {
  std::mt19937 random(30000);
  std::vector<std::string> texts;
  texts.reserve(kRows);
  for (std::size_t row = 0; row < kRows; ++row) {
    std::string text;
    const std::size_t words = names ? 2 : 2 + random() % 12;
    for (std::size_t w = 0; w < words; ++w) {
      if (!text.empty()) text += names ? "_" : " ";
      text += kWords[random() % std::size(kWords)];
    }
    if (names) {
      if (random() % 20 == 0) text += kNotUtf8[random() % std::size(kNotUtf8)];
      text += std::to_string(random() % 1000) + ".dll";
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

template <class Compare>
void Sort(benchmark::State& state, const std::vector<std::string>& texts, Compare compare) {
  for (auto _ : state) {
    std::vector<std::string_view> rows(texts.begin(), texts.end());
    std::stable_sort(rows.begin(), rows.end(), [&](std::string_view a, std::string_view b) { return compare(a, b) < 0; });
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}

void SortByName(benchmark::State& state) { Sort(state, Texts(true), vostrel::CompareCells); }
void SortByText(benchmark::State& state) { Sort(state, Texts(false), vostrel::CompareCells); }

template <class Form>
void EachText(benchmark::State& state, const std::vector<std::string>& texts, Form form) {
  for (auto _ : state) {
    for (const std::string& text : texts) benchmark::DoNotOptimize(form(text));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}

void EscapeNames(benchmark::State& state) { EachText(state, Texts(true), vostrel::EscapeField); }
void EscapeTexts(benchmark::State& state) { EachText(state, Texts(false), vostrel::EscapeField); }
void CellTexts(benchmark::State& state) { EachText(state, Texts(false), vostrel::CellText); }

}  // namespace

BENCHMARK(SortByName)->Unit(benchmark::kMillisecond);
BENCHMARK(SortByText)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapeNames)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapeTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(CellTexts)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
