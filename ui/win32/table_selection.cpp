#include "ui/win32/table_selection.h"

#include <algorithm>

#include "ui/core/result_table.h"

namespace vostrel::win32 {

std::optional<std::size_t> TableSelection::First() const {
  if (count_ == 0) return std::nullopt;
  return static_cast<std::size_t>(std::find(selected_.begin(), selected_.end(), true) - selected_.begin());
}

std::size_t TableSelection::CountFrom(std::size_t first) const {
  if (first >= selected_.size()) return 0;
  return static_cast<std::size_t>(std::count(selected_.begin() + static_cast<std::ptrdiff_t>(first), selected_.end(), true));
}

std::vector<std::size_t> TableSelection::Items(std::size_t first, std::size_t end) const {
  std::vector<std::size_t> items;
  end = std::min(end, selected_.size());
  for (std::size_t item = first; item < end; ++item) {
    if (selected_[item]) items.push_back(item);
  }
  return items;
}

void TableSelection::Set(std::size_t first, std::size_t end, bool selected) {
  if (selected && end > selected_.size()) selected_.resize(end, false);
  end = std::min(end, selected_.size());
  for (std::size_t item = first; item < end; ++item) {
    if (selected_[item] == selected) continue;
    selected_[item] = selected;
    selected ? ++count_ : --count_;
  }
}

void TableSelection::Clear() {
  selected_.clear();
  count_ = 0;
}

void TableSelection::Truncate(std::size_t items) {
  if (items >= selected_.size()) return;
  Set(items, selected_.size(), false);
  selected_.resize(items);
}

TableSelection TableSelection::Moved(const std::vector<std::size_t>& moved) const {
  TableSelection after;
  if (count_ == 0) return after;
  const std::size_t items = std::min(selected_.size(), moved.size());
  for (std::size_t item = 0; item < items; ++item) {
    if (selected_[item] && moved[item] != ResultTable::kGone) after.Set(moved[item], moved[item] + 1, true);
  }
  return after;
}

void TableSelection::ForEachDifference(const TableSelection& to,
                                       const std::function<void(std::size_t, bool)>& change) const {
  if (count_ == 0 && to.count_ == 0) return;
  const std::size_t items = std::max(selected_.size(), to.selected_.size());
  for (std::size_t item = 0; item < items; ++item) {
    if (const bool selected = to.Contains(item); selected != Contains(item)) change(item, selected);
  }
}

}  // namespace vostrel::win32
