// The table's tooltips: a cell's whole text, when the cell cuts it or it does
// not fit the column.
#pragma once

#include <QObject>

class QEvent;
class QModelIndex;
class QString;
class QTreeView;
class ResultTableModel;

class CellTips : public QObject {
  Q_OBJECT

 public:
  // Shows the tips of `table`'s cells, whose texts `rows` holds; lives as
  // long as the table's viewport.
  CellTips(QTreeView& table, const ResultTableModel& rows);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A cell's tooltip: its whole text, bounded, when the cell cuts it or it
  // does not fit; otherwise empty.
  QString CellTip(const QModelIndex& index) const;

  QTreeView& table_;
  const ResultTableModel& rows_;
};
