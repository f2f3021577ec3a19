#include "ui/qt/cell_tips.h"

#include <QHelpEvent>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

#include <string_view>

#include "ui/core/table_text.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/result_table_model.h"

CellTips::CellTips(QTreeView& table, const ResultTableModel& rows)
    : QObject(table.viewport()), table_(table), rows_(rows) {
  table.viewport()->installEventFilter(this);
}

bool CellTips::eventFilter(QObject* watched, QEvent* event) {
  if (watched != table_.viewport() || event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = table_.indexAt(help->pos());
  const QString tip = CellTip(index);
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    // As rich text, so that a text that looks like markup shows as written
    // and long lines wrap at spaces.
    QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal), table_.viewport(),
                       table_.visualRect(index));
  }
  return true;
}

QString CellTips::CellTip(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rows_.rowCount()) return {};
  const std::string_view text = rows_.Row(index.row()).Cell(static_cast<std::size_t>(index.column()));
  if (text.empty()) return {};
  // The item view's text margin, as the style draws it on either side.
  const int margin = table_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table_) + 1;
  const int shownWidth = table_.fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin;
  if (!vostrel::IsCutInCell(text) && shownWidth <= table_.visualRect(index).width()) return {};
  return ToQString(vostrel::TipText(text));
}
