// The filter of the results table over 30,000 rows, as a user types into the
// filter box: the first keystroke (every row's texts folded once), and the
// keystrokes after it (typing on, and taking a letter back). A keystroke must
// be answered within a frame (16 ms).
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "ui/core/result_table.h"

namespace {

constexpr std::size_t kRows = 30000;

// Rows as a large mission collection has them: names in order, a few
// hundred map names, descriptions of a couple of hundred characters in
// several scripts (English, Polish, Russian, Greek, German).
std::vector<vostrel::TableRow> Missions() {
  const std::array<const char*, 6> maps{"Crater Basin", "Twin Rivers", "Łódź Ridge", "Москва", "Château Fort",
                                        "Long Crossing"};
  const std::array<std::array<const char*, 2>, 5> descriptions{{
      {"Hold the ridge until the convoy arrives; then take the bridge at ",
       ". The enemy holds the northern pass with artillery and armour. Scout the valley first, and keep the "
       "supply line open."},
      {"Utrzymaj grzbiet, aż nadjedzie konwój; potem zdobądź most przy ",
       ". Wróg trzyma północną przełęcz artylerią i pancerzem. Najpierw zwiad w dolinie, i pilnuj linii "
       "zaopatrzenia."},
      {"Удерживайте хребет до прихода конвоя; затем захватите мост у ",
       ". Противник держит северный перевал артиллерией и бронёй. Сначала разведайте долину."},
      {"Κρατήστε την κορυφογραμμή ώσπου να φτάσει η φάλαγγα· μετά καταλάβετε τη γέφυρα στο ",
       ". Ο εχθρός κρατά το βόρειο πέρασμα με πυροβολικό. Πρώτα αναγνωρίστε την κοιλάδα."},
      {"Halten Sie den Kamm, bis der Konvoi eintrifft; dann nehmen Sie die Brücke bei ",
       ". Der Feind hält den nördlichen Paß mit Artillerie und Panzern. Erkunden Sie zuerst das Tal."},
  }};
  std::vector<vostrel::TableRow> rows;
  rows.reserve(kRows);
  for (std::size_t i = 0; i < kRows; ++i) {
    const std::string number = std::to_string(i);
    const auto& description = descriptions[i % descriptions.size()];
    rows.push_back({{"m" + number + ".dll", std::string(maps[i % maps.size()]) + " " + std::to_string(i % 317),
                     i % 2 ? "Standard Techtree" : "Extended Techtree", description[0] + number + description[1]},
                    false});
  }
  return rows;
}

void BM_FilterFirstKeystroke(benchmark::State& state) {
  const std::vector<vostrel::TableRow> rows = Missions();
  for (auto _ : state) {
    state.PauseTiming();
    vostrel::ResultTable table;
    table.Append(rows);
    state.ResumeTiming();
    benchmark::DoNotOptimize(table.Filter("c"));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRows));
}
BENCHMARK(BM_FilterFirstKeystroke)->Unit(benchmark::kMillisecond);

void BM_FilterTyping(benchmark::State& state) {
  vostrel::ResultTable table;
  table.Append(Missions());
  table.SortBy({1, vostrel::SortOrder::kAscending});
  table.Order();
  table.Filter("c");
  // ASCII typed into texts of every script, and a word without its accents.
  const std::array<const char*, 6> typed{"cr", "cra", "crater 31", "crater 3", "lodz", "lodz ridge"};
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.Filter(typed[next++ % typed.size()]));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRows));
}
BENCHMARK(BM_FilterTyping)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
