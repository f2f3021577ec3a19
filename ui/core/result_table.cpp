#include "ui/core/result_table.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "ui/core/row_order.h"

namespace vostrel {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::vector<std::string> FoldedWords(std::string_view text, SearchFold& fold) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    if (i > start) words.push_back(fold.Fold(text.substr(start, i - start)));
  }
  return words;
}

// The row's texts folded, a line each: a word, which holds no line break,
// is found within one text.
std::string FoldedRow(const TableRow& row, SearchFold& fold) {
  std::string folded;
  folded.reserve(row.texts.dllName.size() + row.texts.mapName.size() + row.texts.techName.size() +
                 row.texts.levelDesc.size() + 3);
  for (std::size_t column = 0; column < 4; ++column) {
    if (column > 0) folded += '\n';
    fold.Append(row.Cell(column), folded);
  }
  return folded;
}

// Whether every row `before` passes, `after` passes too: each earlier word
// lies within a later one.
bool Narrows(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  return std::all_of(before.begin(), before.end(), [&](const std::string& earlier) {
    return std::any_of(after.begin(), after.end(),
                       [&](const std::string& later) { return later.find(earlier) != std::string::npos; });
  });
}

}  // namespace

void ResultTable::Clear() {
  rows_.clear();
  order_.clear();
  shown_.clear();
  folded_.clear();
  orderedRows_ = 0;
  messageRows_ = 0;
}

void ResultTable::Append(std::vector<TableRow> rows) {
  if (rows_.size() + rows.size() > UINT32_MAX) throw std::length_error("too many rows");
  for (TableRow& row : rows) {
    const auto index = static_cast<std::uint32_t>(rows_.size());
    if (row.isMessage) ++messageRows_;
    rows_.push_back(std::move(row));
    order_.push_back(index);
    // Rows that come in order need no reordering: the usual case without a sort.
    const std::size_t last = order_.size() - 1;
    if (orderedRows_ == last && (last == 0 || ShowsBefore(order_[last - 1], index))) ++orderedRows_;
    if (Passes(index)) shown_.push_back(index);
  }
}

void ResultTable::SortBy(TableSort sort) {
  if (sort_ == sort) return;
  sort_ = sort;
  orderedRows_ = 0;
}

TableSort ResultTable::ClickedSort(std::size_t column) const {
  if (sort_ && sort_->column == column) {
    return {column, sort_->order == SortOrder::kAscending ? SortOrder::kDescending : SortOrder::kAscending};
  }
  return {column, SortOrder::kAscending};
}

std::vector<std::size_t> ResultTable::Order() {
  const std::vector<std::uint32_t> before = shown_;
  PutInOrder();
  return Moved(before);
}

std::vector<std::size_t> ResultTable::Filter(std::string_view text) {
  const std::vector<std::uint32_t> before = shown_;
  std::vector<std::string> words = FoldedWords(text, search_);
  const bool narrows = !words_.empty() && Narrows(words_, words);
  filter_ = text;
  words_ = std::move(words);
  PutInOrder();
  if (narrows) {
    // Typing on: only rows that passed may pass still.
    std::erase_if(shown_, [this](std::uint32_t row) { return !Passes(row); });
  } else {
    ShowPassing();
  }
  return Moved(before);
}

std::vector<std::size_t> ResultTable::Put(TableRow row) {
  const std::vector<std::uint32_t> before = shown_;
  PutInOrder();
  std::uint32_t index = 0;
  if (const auto found = FindMission(row.texts.dllName)) {
    index = *found;
    rows_[index] = std::move(row);
    if (index < folded_.size()) folded_[index] = FoldedRow(rows_[index], search_);
    std::erase(order_, index);
  } else {
    if (rows_.size() >= UINT32_MAX) throw std::length_error("too many rows");
    index = static_cast<std::uint32_t>(rows_.size());
    if (row.isMessage) ++messageRows_;
    rows_.push_back(std::move(row));
  }
  const auto place = std::lower_bound(order_.begin(), order_.end(), index,
                                      [this](std::uint32_t a, std::uint32_t b) { return ShowsBefore(a, b); });
  order_.insert(place, index);
  orderedRows_ = order_.size();
  ShowPassing();
  return Moved(before);
}

std::vector<std::size_t> ResultTable::Remove(std::string_view dllName) {
  const std::vector<std::uint32_t> before = shown_;
  PutInOrder();
  const auto found = FindMission(dllName);
  if (!found) return Moved(before);
  EraseRow(*found);
  return Moved(before, *found);
}

// Takes a row out; the rows after it move up by one in rows_.
void ResultTable::EraseRow(std::uint32_t index) {
  if (rows_[index].isMessage) --messageRows_;
  const auto at = static_cast<std::ptrdiff_t>(index);  // an int on 32-bit systems
  rows_.erase(rows_.begin() + at);
  if (index < folded_.size()) folded_.erase(folded_.begin() + at);
  std::erase(order_, index);
  for (std::uint32_t& row : order_) row -= row > index ? 1 : 0;
  orderedRows_ = order_.size();
  ShowPassing();
}

bool ResultTable::HoldsMessage(std::string_view text) const {
  return std::any_of(rows_.begin(), rows_.end(), [text](const TableRow& row) { return row.isMessage && row.texts.dllName == text; });
}

std::vector<std::size_t> ResultTable::RemoveMessage(std::string_view text) {
  const std::vector<std::uint32_t> before = shown_;
  PutInOrder();
  const auto found = std::find_if(rows_.begin(), rows_.end(),
                                  [text](const TableRow& row) { return row.isMessage && row.texts.dllName == text; });
  if (found == rows_.end()) return Moved(before);
  const auto index = static_cast<std::uint32_t>(found - rows_.begin());
  EraseRow(index);
  return Moved(before, index);
}

std::vector<TableRow> ResultTable::RowsShownAt(std::vector<std::size_t> indices) const {
  std::sort(indices.begin(), indices.end());
  std::vector<TableRow> rows;
  rows.reserve(indices.size());
  for (const std::size_t index : indices) {
    if (index < shown_.size()) rows.push_back(Row(index));
  }
  return rows;
}

std::string ResultTable::Lines(std::vector<std::size_t> indices) const {
  std::string lines;
  for (const TableRow& row : RowsShownAt(std::move(indices))) lines += row.Line();
  return lines;
}

// A strict order over every row: message rows first, then the sort's
// column, then the order in which the rows were added.
bool ResultTable::ShowsBefore(std::uint32_t a, std::uint32_t b) const {
  const TableRow& x = rows_[a];
  const TableRow& y = rows_[b];
  if (x.isMessage != y.isMessage) return x.isMessage;
  if (sort_ && !x.isMessage) {
    int compared = CompareCells(x.Cell(sort_->column), y.Cell(sort_->column));
    if (sort_->order == SortOrder::kDescending) compared = -compared;
    if (compared != 0) return compared < 0;
  }
  return a < b;
}

bool ResultTable::Passes(std::uint32_t row) {
  if (words_.empty() || rows_[row].isMessage) return true;
  // Rows are folded when first filtered, and kept so: typing goes on.
  while (folded_.size() <= row) folded_.push_back(FoldedRow(rows_[folded_.size()], search_));
  const std::string& folded = folded_[row];
  return std::all_of(words_.begin(), words_.end(),
                     [&folded](const std::string& word) { return folded.find(word) != std::string::npos; });
}

void ResultTable::PutInOrder() {
  if (InOrder()) return;
  const auto before = [this](std::uint32_t a, std::uint32_t b) { return ShowsBefore(a, b); };
  const auto ordered = order_.begin() + static_cast<std::ptrdiff_t>(orderedRows_);
  // The rows added since the last ordering go into the ordered ones.
  std::sort(ordered, order_.end(), before);
  std::inplace_merge(order_.begin(), ordered, order_.end(), before);
  orderedRows_ = order_.size();
  ShowPassing();
}

void ResultTable::ShowPassing() {
  shown_.clear();
  for (const std::uint32_t row : order_) {
    if (Passes(row)) shown_.push_back(row);
  }
}

std::optional<std::uint32_t> ResultTable::FindMission(std::string_view dllName) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i].isMessage && rows_[i].texts.dllName == dllName) return static_cast<std::uint32_t>(i);
  }
  return std::nullopt;
}

std::vector<std::size_t> ResultTable::Moved(const std::vector<std::uint32_t>& before,
                                            std::optional<std::uint32_t> removed) const {
  std::vector<std::size_t> shownAt(rows_.size(), kGone);
  for (std::size_t i = 0; i < shown_.size(); ++i) shownAt[shown_[i]] = i;
  std::vector<std::size_t> moved(before.size(), kGone);
  for (std::size_t i = 0; i < before.size(); ++i) {
    std::uint32_t row = before[i];
    if (removed && row == *removed) continue;
    if (removed && row > *removed) --row;
    moved[i] = shownAt[row];
  }
  return moved;
}

}  // namespace vostrel
