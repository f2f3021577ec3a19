#include "ui/qt/result_table_model.h"

#include <limits>
#include <stdexcept>
#include <string_view>

#include "i18n/translation.h"
#include "ui/core/table_text.h"
#include "ui/core/window_layout.h"
#include "ui/qt/qt_text.h"

ResultTableModel::ResultTableModel(const vostrel::ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int ResultTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(vostrel::layout::kColumns.size());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  // Only a text's bounded line is converted, so that no text of any length
  // is laid out and each row stays one line high.
  return ToQString(vostrel::CellText(Row(index.row()).Cell(static_cast<std::size_t>(index.column()))));
}

// A flat table: the tree view need not ask each row for children it lays out.
Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  return index.isValid() ? flags | Qt::ItemNeverHasChildren : flags;
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      static_cast<std::size_t>(section) >= vostrel::layout::kColumns.size()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return ToQString(vostrel::Translated(vostrel::layout::kColumns[static_cast<std::size_t>(section)].header));
}

void ResultTableModel::Cleared() {
  beginResetModel();
  shownRows_ = 0;
  endResetModel();
}

void ResultTableModel::Changed(const vostrel::TableChange& change) {
  if (table_.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw std::length_error("too many rows for the table");
  }
  const int rows = static_cast<int>(table_.size());
  if (change.moved.empty()) {
    if (rows <= shownRows_) return;
    beginInsertRows({}, shownRows_, rows - 1);
    shownRows_ = rows;
    endInsertRows();
    return;
  }
  // The sort hint lets the selection keep whole rows.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from) {
    const auto row = static_cast<std::size_t>(index.row());
    const std::size_t movedTo = row < change.moved.size() ? change.moved[row] : vostrel::ResultTable::kGone;
    to << (movedTo == vostrel::ResultTable::kGone ? QModelIndex() : this->index(static_cast<int>(movedTo), index.column()));
  }
  shownRows_ = rows;
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<std::size_t> ResultTableModel::Rows(const QModelIndexList& rows) const {
  std::vector<std::size_t> indices;
  indices.reserve(static_cast<std::size_t>(rows.size()));
  for (const QModelIndex& index : rows) {
    if (index.isValid() && index.model() == this) indices.push_back(static_cast<std::size_t>(index.row()));
  }
  return indices;
}
