#include "ui/qt/frm_main.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "i18n/translation.h"
#include "scanner/program_folder.h"
#include "scanner/shared_library.h"
#include "ui/core/table_menu.h"
#include "ui/core/window_layout.h"
#include "ui/qt/cell_tips.h"
#include "ui/qt/code_page_menu.h"
#include "ui/qt/column_stretch.h"
#include "ui/qt/details_dialog.h"
#include "ui/qt/folder_completion.h"
#include "ui/qt/folder_path.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/result_table_model.h"

namespace layout = vostrel::layout;

namespace {

constexpr float kFallbackDpi = 96.0f;  // no screen at all: 15 twips a pixel

void Place(QWidget& widget, const layout::TwipsRect& rect, float dpiX, float dpiY) {
  widget.setGeometry(layout::TwipsToPixels(rect.left, dpiX), layout::TwipsToPixels(rect.top, dpiY),
                     layout::TwipsToPixels(rect.width, dpiX), layout::TwipsToPixels(rect.height, dpiY));
}

}  // namespace

frmMain::frmMain(QWidget* parent) : frmMain(vostrel::DefaultLookupLibraryCandidates(), parent) {}

frmMain::frmMain(std::vector<std::string> lookupLibraries, QWidget* parent, vostrel::FramePacing scanPacing)
    : QWidget(parent),
      loop_(this),
      session_(loop_, *this, std::make_shared<vostrel::LookupBinding>(std::move(lookupLibraries)), scanPacing) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(ToQString(layout::kCaption));
  setWindowIcon(QIcon(QStringLiteral(":/icons/vostrel.png")));

  // Every control sits at a fixed place on the window's client area, the
  // status bar included; Form_Resize keeps them fitted to its size.
  cmdScan = new QPushButton(ToQString(vostrel::Translated(layout::kScanCaption)), this);
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
  sbStatusText = new QLabel(ToQString(vostrel::Translated(layout::kReadyStatus)), sbStatusBar);
  sbStatusText->setObjectName(QStringLiteral("sbStatusText"));
  sbStatusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  sbStatusBar->addWidget(sbStatusText, 1);
  sbFollowText = new QLabel(sbStatusBar);  // whether the table follows its folder, on the right
  sbFollowText->setObjectName(QStringLiteral("sbFollowText"));
  sbStatusBar->addPermanentWidget(sbFollowText);

  txtTrhDir = new QLineEdit(this);
  txtTrhDir->setObjectName(QStringLiteral("txtTrhDir"));
  txtTrhDir->setMaxLength(std::numeric_limits<int>::max());
  CompleteFolderNames(*txtTrhDir);
  // A folder dragged onto the box is the window's drop, not text to insert.
  txtTrhDir->setAcceptDrops(false);
  setAcceptDrops(true);

  SetUpTable();
  SetUpFilter();
  SetUpTableMenu();

  // Escape stops a running scan, whichever control has the focus.
  auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  stop->setContext(Qt::WindowShortcut);
  connect(stop, &QShortcut::activated, this, [this] { session_.Stop(); });

  Place(*cmdScan, layout::kScanButton, DpiX(), DpiY());
  Place(*sbStatusBar, layout::kStatusBar, DpiX(), DpiY());
  Place(*txtTrhDir, layout::kFolderBox, DpiX(), DpiY());
  Place(*lvStats, layout::kTable, DpiX(), DpiY());

  // The status bar takes no focus, so the chain runs button, box, table, and
  // the button, first in it, has the focus when the window opens.
  setTabOrder(cmdScan, txtTrhDir);
  setTabOrder(txtTrhDir, lvStats);
  setTabOrder(lvStats, txtFilter);
  cmdScan->setFocus();

  connect(cmdScan, &QPushButton::clicked, this, &frmMain::cmdScan_Click);

  resize(layout::TwipsToPixels(layout::kClientWidth, DpiX()), layout::TwipsToPixels(layout::kClientHeight, DpiY()));
  Form_Load();
}

// The table's model shows the session's rows: the table goes first.
frmMain::~frmMain() {
  delete lvStats;
}

void frmMain::SetUpTable() {
  lvStats = new QTreeView(this);
  lvStats->setObjectName(QStringLiteral("lvStats"));
  rows_ = new ResultTableModel(session_.table(), lvStats);
  lvStats->setModel(rows_);
  lvStats->setFont(QFont(ToQString(layout::kTableFontFamily), layout::kTableFontPoints));
  lvStats->setRootIsDecorated(false);
  lvStats->setItemsExpandable(false);
  lvStats->setUniformRowHeights(true);
  lvStats->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Shift and Ctrl click, Ctrl+A: rows are picked for copying.
  lvStats->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvStats->setSelectionBehavior(QAbstractItemView::SelectRows);
  // The rows sort by the one comparison both windows share, never by Qt's.
  lvStats->setSortingEnabled(false);
  QHeaderView* header = lvStats->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setSectionsClickable(true);
  int section = 0;
  for (const auto& column : layout::kColumns) {
    header->resizeSection(section++, layout::TwipsToPixels(static_cast<float>(column.widthTwips), DpiX()));
  }
  new ColumnStretch(lvStats);  // the last column takes the rest of a wider window
  connect(header, &QHeaderView::sectionClicked, this, &frmMain::SortByColumn);
  new CellTips(*lvStats, *rows_);
}

void frmMain::SetUpFilter() {
  // Shown when asked for: the window opens as designed.
  txtFilter = new QLineEdit(this);
  txtFilter->setObjectName(QStringLiteral("txtFilter"));
  txtFilter->hide();
  txtFilter->installEventFilter(this);  // its Escape
  connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) { session_.Filter(text.toStdString()); });
}

void frmMain::SetUpTableMenu() {
  // The table's context menu: Copy (also Ctrl+C), Filter (also Ctrl+F),
  // Details (also Enter or a double-click on a row) and the code page its
  // texts are read in.
  auto* copy = new QAction(ToQString(vostrel::Translated(vostrel::kCopyCaption)), lvStats);
  copy->setObjectName(QStringLiteral("actCopy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  lvStats->addAction(copy);
  connect(copy, &QAction::triggered, this, &frmMain::CopySelectedRows);
  auto* filter = new QAction(ToQString(vostrel::Translated(vostrel::kFilterCaption)), lvStats);
  filter->setObjectName(QStringLiteral("actFilter"));
  // Ctrl+F whichever control has the focus; the menu shows it.
  filter->setShortcut(QKeySequence::Find);
  filter->setShortcutContext(Qt::WindowShortcut);
  lvStats->addAction(filter);
  connect(filter, &QAction::triggered, this, &frmMain::ShowFilter);
  auto* details = new QAction(ToQString(vostrel::Translated(vostrel::kDetailsCaption)), lvStats);
  details->setObjectName(QStringLiteral("actDetails"));
  lvStats->addAction(details);
  connect(details, &QAction::triggered, this, [this] { OpenDetails(lvStats->currentIndex()); });
  connect(lvStats, &QAbstractItemView::activated, this, &frmMain::OpenDetails);
  QMenu* codePageMenu = NewCodePageMenu(
      *lvStats, [this] { return session_.codePage(); },
      [this](vostrel::CodePage codePage) { session_.ChooseCodePage(codePage); });
  lvStats->addAction(codePageMenu->menuAction());
  lvStats->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void frmMain::OpenFolder(const NamedFolder& folder) {
  ShowFolder(folder);
  session_.ScanFolderBoxSoon();
}

void frmMain::ShowFolder(const NamedFolder& folder) {
  boxFolder_ = folder;
  txtTrhDir->setText(folder.shown);
}

// On Linux the scan takes the folder text's bytes as the name (Utf8ToNative
// changes nothing there): the exact name goes through, as long as the box
// shows it; text typed is UTF-8.
std::string frmMain::FolderText() {
  const QString text = txtTrhDir->text();
  return text == boxFolder_.shown ? boxFolder_.native : text.toStdString();
}

void frmMain::TableCleared() {
  rows_->Cleared();  // a reset: the view forgets its spans
  spannedRows_ = 0;
}

void frmMain::TableChanged(const vostrel::TableChange& change) {
  rows_->Changed(change);
  SpanMessageRows();
}

// A span follows its row through sorting and filtering (the model moves the
// view's persistent indexes), and goes with it: only rows new at the top are
// spanned here.
void frmMain::SpanMessageRows() {
  int row = std::min(spannedRows_, rows_->rowCount());
  while (row > 0 && !rows_->Row(row - 1).isMessage) --row;  // a message row taken away
  for (; row < rows_->rowCount() && rows_->Row(row).isMessage; ++row) lvStats->setFirstColumnSpanned(row, {}, true);
  spannedRows_ = row;
}

void frmMain::ShowStatus(const std::string& text) { sbStatusText->setText(ToQString(text)); }

void frmMain::ShowFollowing(const std::string& text) { sbFollowText->setText(ToQString(text)); }

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // A running scan stops at once; its thread, which may wait for a read that
  // hangs, is not waited for.
  session_.Close();
  event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData() != nullptr && DroppedFolder(*event->mimeData())) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
  const std::optional<NamedFolder> folder =
      event->mimeData() != nullptr ? DroppedFolder(*event->mimeData()) : std::nullopt;
  if (!folder) return;
  event->acceptProposedAction();
  // The scan is queued, so that the program that dragged hears at once that
  // the drop is taken; a running scan stops for it.
  OpenFolder(*folder);
}

void frmMain::Form_Load() {
  // The folder the binding also looks in for the lookup library.
  const std::string folder = vostrel::ProgramFolder();
  ShowFolder({folder, ShownName(folder)});
}

void frmMain::Form_Resize() {
  // The client area is the whole window inside its frame, the status bar's
  // strip included; the bar stays docked along its bottom edge.
  const float dpiX = DpiX();
  const float dpiY = DpiY();
  const int barHeight = layout::TwipsToPixels(layout::kStatusBar.height, dpiY);
  sbStatusBar->setGeometry(0, height() - barHeight, width(), barHeight);
  const bool withFilter = txtFilter->isVisibleTo(this);
  const layout::Layout fitted =
      layout::FitToClient(layout::PixelsToTwips(width(), dpiX), layout::PixelsToTwips(height(), dpiY), withFilter);
  Place(*cmdScan, fitted.scanButton, dpiX, dpiY);
  Place(*txtTrhDir, fitted.folderBox, dpiX, dpiY);
  Place(*lvStats, fitted.table, dpiX, dpiY);
  if (withFilter) Place(*txtFilter, fitted.filterBox, dpiX, dpiY);
}

void frmMain::cmdScan_Click() {
  // The folder box's completion list would stay open over the table and
  // take the next click.
  if (QCompleter* completer = txtTrhDir->completer()) completer->popup()->hide();
  session_.Scan();
}

void frmMain::ShowFilter() {
  txtFilter->show();
  Form_Resize();
  txtFilter->setFocus();
  txtFilter->selectAll();
}

void frmMain::HideFilter() {
  txtFilter->clear();  // the table shows every row again
  txtFilter->hide();
  Form_Resize();
  lvStats->setFocus();
}

void frmMain::OpenDetails(const QModelIndex& index) {
  // A message row ("No DLL's found!") is no mission.
  if (!index.isValid() || index.row() >= rows_->rowCount() || rows_->Row(index.row()).isMessage) return;
  // The dialog opens once the file is read, off the window's thread.
  session_.ReadDetails(static_cast<std::size_t>(index.row()), [this](const vostrel::MissionDetails& read) {
    auto* details = new DetailsDialog(read, this);
    details->show();
    details->activateWindow();
  });
}

void frmMain::CopySelectedRows() {
  // Rows kept cut are read again off the window's thread: such a copy
  // lands a moment later.
  session_.CopyRows(rows_->Rows(lvStats->selectionModel()->selectedRows()), [](const std::string& lines) {
    if (!lines.empty()) QGuiApplication::clipboard()->setText(ToQString(lines));
  });
}

void frmMain::SortByColumn(int column) {
  if (column < 0 || column >= rows_->columnCount()) return;
  session_.SortByColumn(static_cast<std::size_t>(column));
  const auto& sort = session_.table().sort();
  if (!sort) return;
  QHeaderView* header = lvStats->header();
  header->setSortIndicatorShown(true);
  header->setSortIndicator(static_cast<int>(sort->column),
                           sort->order == vostrel::SortOrder::kAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // Escape in the filter box clears and hides it, rather than stopping a scan.
  if (watched == txtFilter && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    event->accept();
    if (event->type() == QEvent::KeyPress) HideFilter();
    return true;
  }
  return QWidget::eventFilter(watched, event);
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
