// The rows the results table shows selected, by index, as the window keeps
// them beside the list view: set from the list view's notices of each change,
// and moved with the rows when they move, so that the window knows which rows
// to select again without asking the list view for every selected row, and
// tells it only of the rows whose state changes.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace vostrel::win32 {

class TableSelection {
 public:
  std::size_t count() const { return count_; }
  bool Contains(std::size_t item) const { return item < selected_.size() && selected_[item]; }
  // How many items from `first` on are selected; which items from `first` to
  // `end` (not included) are, in order.
  std::size_t CountFrom(std::size_t first) const;
  std::vector<std::size_t> Items(std::size_t first, std::size_t end) const;
  std::optional<std::size_t> First() const;

  // Items first to end (not included) are selected, or not.
  void Set(std::size_t first, std::size_t end, bool selected);
  void Clear();
  // Items from `items` on no longer exist.
  void Truncate(std::size_t items);

  // The selection once the rows have moved: `moved` gives, for each item
  // before, the item it is now, or ResultTable::kGone (TableChange::moved).
  TableSelection Moved(const std::vector<std::size_t>& moved) const;
  // Calls `change` for each item selected here and not in `to`, or in `to`
  // and not here, with its state in `to`, in the order of the items.
  void ForEachDifference(const TableSelection& to, const std::function<void(std::size_t, bool)>& change) const;

 private:
  std::vector<bool> selected_;  // by item; items past its end are not selected
  std::size_t count_ = 0;
};

}  // namespace vostrel::win32
