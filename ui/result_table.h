// The rows of the results table as both windows keep them, in the order they
// show: the model behind each window's table view. Knows no toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "table_text.h"

namespace vostrel {

enum class SortOrder { kAscending, kDescending };

struct TableSort {
  std::size_t column;
  SortOrder order;

  bool operator==(const TableSort&) const = default;
};

// Rows show in the order the scan adds them (the listing's order) until a
// sort is chosen; then by that column (row_order.h), rows that compare equal
// in the order they were added. Message rows come first, in the order they
// were added. A sort holds until another is chosen, over later scans too.
class ResultTable {
 public:
  std::size_t size() const { return shown_.size(); }
  bool empty() const { return shown_.empty(); }

  // The row shown at `index`, 0 at the top.
  const TableRow& Row(std::size_t index) const { return rows_[shown_[index]]; }

  // Removes every row; the sort stays.
  void Clear();

  // Adds rows below the rows shown, in the order given. When InOrder() is
  // false afterwards, Order() puts them in their places.
  void Append(std::vector<TableRow> rows);

  // Sorts by a column from now on; Order() then puts the rows in that order.
  void SortBy(TableSort sort);
  const std::optional<TableSort>& sort() const { return sort_; }
  // The sort a click on a column's header chooses: the column, ascending;
  // on the column already sorted by, the other way.
  TableSort ClickedSort(std::size_t column) const;

  // Whether the rows show in the table's order.
  bool InOrder() const { return orderedRows_ == shown_.size(); }
  // Puts the rows in the table's order and gives, for each index shown
  // before, the index that row shows at now.
  std::vector<std::size_t> Order();

  // The rows shown at these indices as copied: one line each (TableRow::Line),
  // in the order shown.
  std::string Lines(std::vector<std::size_t> indices) const;

 private:
  bool ShowsBefore(std::uint32_t a, std::uint32_t b) const;

  std::vector<TableRow> rows_;           // in the order they were added
  std::vector<std::uint32_t> shown_;     // indices into rows_, in the order shown
  std::size_t orderedRows_ = 0;          // the first rows of shown_ that are in order
  std::optional<TableSort> sort_;
};

}  // namespace vostrel
