// The rows of the results table as both windows show them: in the order they
// show, and only those that pass the filter. The model behind each window's
// table view. Knows no toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/core/search_fold.h"
#include "ui/core/table_text.h"

namespace vostrel {

enum class SortOrder { kAscending, kDescending };

struct TableSort {
  std::size_t column;
  SortOrder order;

  bool operator==(const TableSort&) const = default;
};

// Rows show in the order they were added (the listing's order) until a sort
// is chosen; then by that column (row_order.h), rows that compare equal in
// the order they were added. Message rows come first, in the order they were
// added, and always show. A sort and a filter hold until another is chosen,
// over later scans too.
class ResultTable {
 public:
  // In what a change gives back: a row shown before that no longer shows.
  static constexpr std::size_t kGone = std::numeric_limits<std::size_t>::max();

  std::size_t size() const { return shown_.size(); }
  bool empty() const { return shown_.empty(); }

  // The row shown at `index`, 0 at the top.
  const TableRow& Row(std::size_t index) const { return rows_[shown_[index]]; }
  // The mission rows (not message rows) held, shown or not; and shown.
  std::size_t MissionCount() const { return rows_.size() - messageRows_; }
  std::size_t ShownMissionCount() const { return shown_.size() - messageRows_; }

  // Removes every row; the sort and the filter stay.
  void Clear();

  // Adds rows below the rows shown, in the order given (those the filter
  // passes). When InOrder() is false afterwards, Order() puts them in their
  // places.
  void Append(std::vector<TableRow> rows);

  // Sorts by a column from now on; Order() then puts the rows in that order.
  void SortBy(TableSort sort);
  const std::optional<TableSort>& sort() const { return sort_; }
  // The sort a click on a column's header chooses: the column, ascending;
  // on the column already sorted by, the other way.
  TableSort ClickedSort(std::size_t column) const;

  // Whether the rows show in the table's order.
  bool InOrder() const { return orderedRows_ == order_.size(); }
  // Puts the rows in the table's order and gives, for each index shown
  // before, the index that row shows at now.
  std::vector<std::size_t> Order();

  // Shows only the rows whose file name or texts contain every word of
  // `text` (words: what white space separates), letter case and accents
  // disregarded (SearchFold); message rows always show. Gives, for each index
  // shown before, the index that row shows at now, or kGone. The rows are
  // put in order too.
  std::vector<std::size_t> Filter(std::string_view text);
  const std::string& filter() const { return filter_; }

  // The file `row` names, read again: replaces the mission row of that file
  // name, or adds it, in its place in the order. Gives what Filter gives.
  std::vector<std::size_t> Put(TableRow row);
  // The mission row of that file name goes. Gives what Filter gives.
  std::vector<std::size_t> Remove(std::string_view dllName);

  // Whether a mission row of that file name, or a message row of that
  // text, is held (shown or not); takes the message rows of that text away.
  bool Holds(std::string_view dllName) const { return FindMission(dllName).has_value(); }
  // The mission row of that file name, shown or not; none when none.
  const TableRow* Mission(std::string_view dllName) const {
    const auto index = FindMission(dllName);
    return index ? &rows_[*index] : nullptr;
  }
  bool HoldsMessage(std::string_view text) const;
  std::vector<std::size_t> RemoveMessage(std::string_view text);

  // The rows shown at these indices, in the order shown (those past the
  // end left out).
  std::vector<TableRow> RowsShownAt(std::vector<std::size_t> indices) const;
  // Those rows as copied, as kept: one line each (TableRow::Line).
  std::string Lines(std::vector<std::size_t> indices) const;

 private:
  bool ShowsBefore(std::uint32_t a, std::uint32_t b) const;
  bool Passes(std::uint32_t row);
  void PutInOrder();
  void ShowPassing();
  void EraseRow(std::uint32_t index);
  std::optional<std::uint32_t> FindMission(std::string_view dllName) const;
  // Where each row of `before` shows now (kGone: not shown); `removed`: the
  // row taken out since, whose followers moved up by one.
  std::vector<std::size_t> Moved(const std::vector<std::uint32_t>& before,
                                 std::optional<std::uint32_t> removed = std::nullopt) const;

  std::vector<TableRow> rows_;          // in the order they were added
  std::vector<std::uint32_t> order_;    // every row, the first orderedRows_ in the table's order
  std::size_t orderedRows_ = 0;
  std::vector<std::uint32_t> shown_;    // the rows of order_ that pass the filter, in its order
  std::size_t messageRows_ = 0;
  std::optional<TableSort> sort_;

  std::string filter_;
  std::vector<std::string> words_;      // the filter's words, folded
  SearchFold search_;
  std::vector<std::string> folded_;     // each row's texts folded, one a line; made when first filtered
};

}  // namespace vostrel
