// The results table as a Qt item model: a view of the scan session's
// vostrel::ResultTable, which holds the rows once. Cells give their one
// bounded line (CellText); the whole texts stay for tooltips and copying.
#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <string>
#include <vector>

#include "ui/core/result_table.h"
#include "ui/core/scan_session.h"

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  ResultTableModel(const vostrel::ResultTable& table, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The row shown at `row`; `row` is below rowCount().
  const vostrel::TableRow& Row(int row) const { return table_.Row(static_cast<std::size_t>(row)); }

  // The table lost every row.
  void Cleared();
  // The table changed: rows added below the others are announced as such;
  // rows that moved or went, as a change of layout, persistent indices (the
  // selection) following their rows.
  void Changed(const vostrel::TableChange& change);

  // The table's rows of these indices (for a copy).
  std::vector<std::size_t> Rows(const QModelIndexList& rows) const;

 private:
  const vostrel::ResultTable& table_;
  // The rows the view knows of; the table may hold others until Changed().
  int shownRows_ = 0;
};
