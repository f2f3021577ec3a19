#include "frm_main.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "program_folder.h"
#include "window_layout.h"

namespace layout = vostrel::layout;

namespace {

constexpr float kFallbackDpi = 96.0f;  // no screen at all: 15 twips a pixel

QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void Place(QWidget& widget, const layout::TwipsRect& rect, float dpiX, float dpiY) {
  widget.setGeometry(layout::TwipsToPixels(rect.left, dpiX), layout::TwipsToPixels(rect.top, dpiY),
                     layout::TwipsToPixels(rect.width, dpiX), layout::TwipsToPixels(rect.height, dpiY));
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(ToQString(layout::kCaption));
  setWindowIcon(QIcon(QStringLiteral(":/icons/vostrel.png")));

  // Every control sits at a fixed place on the window's client area, the
  // status bar included; Form_Resize keeps them fitted to its size.
  cmdScan = new QPushButton(ToQString(layout::kScanCaption), this);
  cmdScan->setObjectName(QStringLiteral("cmdScan"));
  // Not a default button: Enter in the folder box must not start a scan.
  cmdScan->setAutoDefault(false);
  cmdScan->setDefault(false);

  sbStatusBar = new QStatusBar(this);
  sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
  sbStatusBar->setSizeGripEnabled(false);
  // A label keeps its text until the next status replaces it. Its size is
  // ignored so that neither a long file name nor the font can make the
  // window wider or the bar taller.
  sbStatusText = new QLabel(ToQString(layout::kReadyStatus), sbStatusBar);
  sbStatusText->setObjectName(QStringLiteral("sbStatusText"));
  sbStatusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  sbStatusBar->addWidget(sbStatusText, 1);

  txtTrhDir = new QLineEdit(this);
  txtTrhDir->setObjectName(QStringLiteral("txtTrhDir"));
  txtTrhDir->setMaxLength(std::numeric_limits<int>::max());

  lvStats = new QTreeWidget(this);
  lvStats->setObjectName(QStringLiteral("lvStats"));
  lvStats->setFont(QFont(ToQString(layout::kTableFontFamily), layout::kTableFontPoints));
  lvStats->setRootIsDecorated(false);
  lvStats->setItemsExpandable(false);
  lvStats->setUniformRowHeights(true);
  lvStats->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Shift and Ctrl click, Ctrl+A: rows are picked for copying.
  lvStats->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvStats->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvStats->setSortingEnabled(false);
  QStringList headers;
  for (const auto& column : layout::kColumns) headers << ToQString(column.header);
  lvStats->setHeaderLabels(headers);
  QHeaderView* header = lvStats->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  int section = 0;
  for (const auto& column : layout::kColumns) {
    header->resizeSection(section++, layout::TwipsToPixels(static_cast<float>(column.widthTwips), DpiX()));
  }

  // Ctrl+C and the table's context menu copy the selected rows.
  auto* copy = new QAction(QStringLiteral("Copy"), lvStats);
  copy->setObjectName(QStringLiteral("actCopy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  lvStats->addAction(copy);
  lvStats->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(copy, &QAction::triggered, this, &frmMain::CopySelectedRows);
  lvStats->viewport()->installEventFilter(this);

  Place(*cmdScan, layout::kScanButton, DpiX(), DpiY());
  Place(*sbStatusBar, layout::kStatusBar, DpiX(), DpiY());
  Place(*txtTrhDir, layout::kFolderBox, DpiX(), DpiY());
  Place(*lvStats, layout::kTable, DpiX(), DpiY());

  // The status bar takes no focus, so the chain runs button, box, table, and
  // the button, first in it, has the focus when the window opens.
  setTabOrder(cmdScan, txtTrhDir);
  setTabOrder(txtTrhDir, lvStats);
  cmdScan->setFocus();

  connect(cmdScan, &QPushButton::clicked, this, &frmMain::cmdScan_Click);

  resize(layout::TwipsToPixels(layout::kClientWidth, DpiX()), layout::TwipsToPixels(layout::kClientHeight, DpiY()));
  Form_Load();
}

void frmMain::AddListEntry(vostrel::TableRow row) {
  // Only the bounded line of a text reaches the table, so that no text of
  // any length is converted or laid out; each row is then one line high.
  QStringList cells;
  const std::size_t columns = row.isMessage ? 1 : layout::kColumns.size();
  for (std::size_t column = 0; column < columns; ++column) cells << ToQString(vostrel::CellText(row.Cell(column)));
  rows_.push_back(std::move(row));
  // An item made with the table as its parent is appended to it and owned by it.
  new QTreeWidgetItem(lvStats, cells);
}

std::string frmMain::FolderText() { return txtTrhDir->text().toStdString(); }

void frmMain::ClearRows() {
  lvStats->clear();
  rows_.clear();
}

void frmMain::AddRow(const vostrel::ScanRow& row) { AddListEntry({row, false}); }

void frmMain::AddMessageRow(const std::string& text) { AddListEntry({{text, {}, {}, {}}, true}); }

void frmMain::SetStatus(const std::string& text) { sbStatusText->setText(ToQString(text)); }

void frmMain::ProcessPendingEvents() { QCoreApplication::processEvents(); }

// A missing library is said in the table, where the texts would be; a folder
// that cannot be listed already shows as one without DLLs.
void frmMain::ReportProblem(vostrel::ScanProblem problem, const std::string& text) {
  if (problem == vostrel::ScanProblem::kLookupUnavailable) AddMessageRow(text);
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // A running scan sits below this event in the call stack: it is asked to
  // end before its next file, and unwinds once this event has returned.
  driver_.RequestStop();
  event->accept();
}

void frmMain::Form_Load() {
  // The folder the binding also looks in for the lookup library.
  txtTrhDir->setText(QFile::decodeName(QByteArray::fromStdString(vostrel::ProgramFolder())));
}

void frmMain::Form_Resize() {
  // The client area is the whole window inside its frame, the status bar's
  // strip included; the bar stays docked along its bottom edge.
  const float dpiX = DpiX();
  const float dpiY = DpiY();
  const int barHeight = layout::TwipsToPixels(layout::kStatusBar.height, dpiY);
  sbStatusBar->setGeometry(0, height() - barHeight, width(), barHeight);
  const layout::Layout fitted =
      layout::FitToClient(layout::PixelsToTwips(width(), dpiX), layout::PixelsToTwips(height(), dpiY));
  Place(*cmdScan, fitted.scanButton, dpiX, dpiY);
  Place(*txtTrhDir, fitted.folderBox, dpiX, dpiY);
  Place(*lvStats, fitted.table, dpiX, dpiY);
}

void frmMain::cmdScan_Click() { driver_.cmdScan_Click(); }

void frmMain::CopySelectedRows() {
  QList<int> selected;
  for (const QModelIndex& index : lvStats->selectionModel()->selectedRows()) selected << index.row();
  std::sort(selected.begin(), selected.end());
  std::string lines;
  for (const int row : selected) {
    if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) lines += rows_[static_cast<std::size_t>(row)].Line();
  }
  if (!lines.empty()) QGuiApplication::clipboard()->setText(ToQString(lines));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lvStats->viewport() || event->type() != QEvent::ToolTip) return QWidget::eventFilter(watched, event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = lvStats->indexAt(help->pos());
  const QString tip = CellTip(index);
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    // As rich text, so that a text that looks like markup shows as written
    // and long lines wrap at spaces.
    QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal), lvStats->viewport(),
                       lvStats->visualRect(index));
  }
  return true;
}

QString frmMain::CellTip(const QModelIndex& index) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
  const std::string_view text = rows_[static_cast<std::size_t>(index.row())].Cell(static_cast<std::size_t>(index.column()));
  if (text.empty()) return {};
  // The item view's text margin, as the style draws it on either side.
  const int margin = lvStats->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lvStats) + 1;
  const int shownWidth = lvStats->fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin;
  if (!vostrel::IsCutInCell(text) && shownWidth <= lvStats->visualRect(index).width()) return {};
  return ToQString(vostrel::TipText(text));
}

// Twips go through the logical resolution of the window's screen, so the
// window keeps its proportions to the text on any screen.
float frmMain::DpiX() const {
  const QScreen* current = screen();
  return current != nullptr ? static_cast<float>(current->logicalDotsPerInchX()) : kFallbackDpi;
}

float frmMain::DpiY() const {
  const QScreen* current = screen();
  return current != nullptr ? static_cast<float>(current->logicalDotsPerInchY()) : kFallbackDpi;
}
