#include "ui/qt/column_stretch.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeView>

#include "ui/core/window_layout.h"

ColumnStretch::ColumnStretch(QTreeView* table)
    : QObject(table),
      table_(table),
      viewport_(table->viewport()),
      ownWidth_(table->header()->sectionSize(table->header()->count() - 1)) {
  connect(table->header(), &QHeaderView::sectionResized, this, &ColumnStretch::SectionResized);
  viewport_->installEventFilter(this);
}

bool ColumnStretch::eventFilter(QObject* watched, QEvent* event) {
  // The table is not asked for its viewport here: events still reach the
  // filter while the table is being destroyed.
  if (event->type() == QEvent::Resize && watched == viewport_) Fit();
  return false;
}

void ColumnStretch::SectionResized(int section, int /*oldSize*/, int newSize) {
  if (fitting_) return;
  // The user's width for the last column; another column's leaves it more or less room.
  if (section == table_->header()->count() - 1) ownWidth_ = newSize;
  Fit();
}

void ColumnStretch::Fit() {
  QHeaderView* header = table_->header();
  const int last = header->count() - 1;
  if (last < 0) return;
  int others = 0;
  for (int section = 0; section < last; ++section) others += header->sectionSize(section);
  const int width = vostrel::layout::LastColumnWidth(table_->viewport()->width(), others, ownWidth_);
  if (width == header->sectionSize(last)) return;
  fitting_ = true;
  header->resizeSection(last, width);
  fitting_ = false;
}
