// The results table as a Qt item model: the rows the window keeps, once, in
// vostrel::ResultTable, shown through a view. Cells give their one bounded
// line (CellText); the whole texts stay for tooltips and copying.
#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "result_table.h"

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The row shown at `row`; `row` is below rowCount().
  const vostrel::TableRow& Row(int row) const { return table_.Row(static_cast<std::size_t>(row)); }

  // Removes every row; the sort stays.
  void Clear();
  // Adds rows in one batch: below the others, or in their places under the
  // chosen sort. Persistent indices (the selection) follow their rows.
  void Append(std::vector<vostrel::TableRow> rows);
  // Sorts as a click on a column's header does: by that column, ascending;
  // again on the same column, the other way.
  void SortByClick(int column);
  const std::optional<vostrel::TableSort>& sort() const { return table_.sort(); }

  // The rows at these indices as copied, in the order shown.
  std::string Lines(const QModelIndexList& rows) const;

 private:
  // Puts the rows in the table's order, moving persistent indices with them.
  void Reorder();

  vostrel::ResultTable table_;
  // The rows the view knows of; table_ may hold more while they are being
  // announced.
  int shownRows_ = 0;
};
