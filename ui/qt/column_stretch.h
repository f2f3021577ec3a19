// Keeps the last column of a table view filling the width its other columns
// leave (layout::LastColumnWidth): the columns keep their designed widths,
// and a window wider than them shows no empty space right of the last. A
// width the user gives a column stays; the last column's is the least it
// keeps when the window is narrower again. (Qt's own stretchLastSection
// would narrow the last column below its width at the designed size too, and
// leaves the user no width of it to set.)
#pragma once

#include <QObject>

class QEvent;
class QTreeView;

class ColumnStretch : public QObject {
 public:
  // Follows `table`, whose columns have their widths as designed; owned by it.
  explicit ColumnStretch(QTreeView* table);

 protected:
  // The table's viewport resized.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SectionResized(int section, int oldSize, int newSize);
  void Fit();

  QTreeView* table_;
  QObject* viewport_;  // the table's, whose resizes are followed
  int ownWidth_;  // the last column's, as designed or as the user set it
  bool fitting_ = false;
};
