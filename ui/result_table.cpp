#include "result_table.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "row_order.h"

namespace vostrel {

void ResultTable::Clear() {
  rows_.clear();
  shown_.clear();
  orderedRows_ = 0;
}

void ResultTable::Append(std::vector<TableRow> rows) {
  if (rows_.size() + rows.size() > UINT32_MAX) throw std::length_error("too many rows");
  for (TableRow& row : rows) {
    const auto index = static_cast<std::uint32_t>(rows_.size());
    rows_.push_back(std::move(row));
    shown_.push_back(index);
    // Rows that come in order need no reordering: the usual case without a sort.
    const std::size_t last = shown_.size() - 1;
    if (orderedRows_ == last && (last == 0 || ShowsBefore(shown_[last - 1], index))) ++orderedRows_;
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
  std::vector<std::size_t> shownAt(rows_.size());
  for (std::size_t i = 0; i < shown_.size(); ++i) shownAt[shown_[i]] = i;

  const auto before = [this](std::uint32_t a, std::uint32_t b) { return ShowsBefore(a, b); };
  const auto ordered = shown_.begin() + static_cast<std::ptrdiff_t>(orderedRows_);
  // The rows added since the last ordering go into the ordered ones.
  std::sort(ordered, shown_.end(), before);
  std::inplace_merge(shown_.begin(), ordered, shown_.end(), before);
  orderedRows_ = shown_.size();

  std::vector<std::size_t> moved(shown_.size());
  for (std::size_t i = 0; i < shown_.size(); ++i) moved[shownAt[shown_[i]]] = i;
  return moved;
}

std::string ResultTable::Lines(std::vector<std::size_t> indices) const {
  std::sort(indices.begin(), indices.end());
  std::string lines;
  for (const std::size_t index : indices) {
    if (index < shown_.size()) lines += Row(index).Line();
  }
  return lines;
}

// A strict order over every row: message rows first, then the sort's
// column, then the order in which the rows were added.
bool ResultTable::ShowsBefore(std::uint32_t a, std::uint32_t b) const {
  const TableRow& x = rows_[a];
  const TableRow& y = rows_[b];
  if (x.isMessage != y.isMessage) return x.isMessage;
  if (sort_ && !x.isMessage) {
    int compared = CompareCells(sort_->column, x.Cell(sort_->column), y.Cell(sort_->column));
    if (sort_->order == SortOrder::kDescending) compared = -compared;
    if (compared != 0) return compared < 0;
  }
  return a < b;
}

}  // namespace vostrel
