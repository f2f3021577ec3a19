// The window on the offscreen platform, bound to the real lookup library
// beside this program and scanning real DLLs built by mingw-w64.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

#include "scanner/dll_listing.h"
#include "scanner/tests/hanging_folder.h"
#include "scanner/tests/test_platform.h"
#include "scanner/text_encoding.h"
#include "ui/core/table_menu.h"
#include "ui/core/table_text.h"
#include "ui/core/tests/mission_writer.h"
#include "ui/core/tests/sort_cases.h"
#include "ui/core/window_arguments.h"
#include "ui/qt/folder_path.h"
#include "ui/qt/frm_main.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/usage_problem.h"

namespace {

constexpr double kTwipsPerInch = 1440.0;

struct Controls {
  QPushButton* scan;
  QStatusBar* statusBar;
  QLabel* status;
  QLineEdit* folder;
  QTreeView* table;
};

Controls Find(frmMain& window) {
  return {window.findChild<QPushButton*>(QStringLiteral("cmdScan")),
          window.findChild<QStatusBar*>(QStringLiteral("sbStatusBar")),
          window.findChild<QLabel*>(QStringLiteral("sbStatusText")),
          window.findChild<QLineEdit*>(QStringLiteral("txtTrhDir")),
          window.findChild<QTreeView*>(QStringLiteral("lvStats"))};
}

double DpiX(const QWidget& window) { return window.screen()->logicalDotsPerInchX(); }
double DpiY(const QWidget& window) { return window.screen()->logicalDotsPerInchY(); }

int Px(double twips, double dpi) { return qRound(twips * dpi / kTwipsPerInch); }
double Twips(int pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

// A rectangle given in twips, as pixels on the window's screen.
QRect PxRect(const QWidget& window, double left, double top, double width, double height) {
  return {Px(left, DpiX(window)), Px(top, DpiY(window)), Px(width, DpiX(window)), Px(height, DpiY(window))};
}

// Where a control lies on the window's client area.
QRect OnClient(const QWidget& control, const QWidget& window) {
  return {control.mapTo(&window, QPoint(0, 0)), control.size()};
}

// The controls' places for the window's current client size: the folder box
// and the table follow the width, the table the height, the button the right
// edge; the status bar takes the bottom strip of the whole client area.
void CheckFitted(frmMain& window) {
  const Controls c = Find(window);
  const double w = Twips(window.width(), DpiX(window));
  const double h = Twips(window.height(), DpiY(window));
  QCOMPARE(OnClient(*c.scan, window), PxRect(window, w - 1300, 90, 1215, 375));
  QCOMPARE(OnClient(*c.folder, window), PxRect(window, 120, 110, std::max(0.0, w - 1500), 315));
  QCOMPARE(OnClient(*c.table, window), PxRect(window, 120, 570, std::max(0.0, w - 200), std::max(0.0, h - 900)));
  const int barHeight = Px(285, DpiY(window));
  QCOMPARE(OnClient(*c.statusBar, window), QRect(0, window.height() - barHeight, window.width(), barHeight));
}

void ResizeTo(frmMain& window, QSize size) {
  window.resize(size);
  QTRY_COMPARE(window.size(), size.expandedTo(window.minimumSize()));
}

int RowCount(const QTreeView& table) { return table.model()->rowCount(); }

QStringList Row(const QTreeView& table, int index) {
  if (index < 0 || index >= RowCount(table)) return {};
  QStringList texts;
  for (int column = 0; column < table.model()->columnCount(); ++column) {
    texts << table.model()->index(index, column).data().toString();
  }
  return texts;
}

QList<QStringList> Rows(const QTreeView& table) {
  QList<QStringList> rows;
  for (int i = 0; i < RowCount(table); ++i) rows << Row(table, i);
  return rows;
}

// The width a row's first text takes, unelided.
int TextWidth(const QTreeView& table, int row) {
  return table.fontMetrics().horizontalAdvance(table.model()->index(row, 0).data().toString());
}

QStringList Column(const QTreeView& table, int column) {
  QStringList texts;
  for (int i = 0; i < RowCount(table); ++i) texts << table.model()->index(i, column).data().toString();
  return texts;
}

// m0000.dll, m0001.dll, ...: names that list in the order of their numbers.

QString TestDll(const char* name) { return QStringLiteral(VOSTREL_TEST_DLL_DIR "/") + QLatin1String(name); }

QString Numbered(int i) { return QStringLiteral("m%1.dll").arg(i, 4, 10, QChar('0')); }

// The missions before the file whose read hangs.
constexpr int kHangingMissions = 40;

// Fills a folder with `count` links to one mission DLL, named in listing
// order: hard links, which cost a file system far less than new files or
// symbolic links; symbolic ones where the folders lie on different file
// systems.
bool FillWithMissions(const QTemporaryDir& folder, int count) {
  if (!folder.isValid()) return false;
  const std::filesystem::path mission = TestDll("mission_full.dll").toStdString();
  for (int i = 0; i < count; ++i) {
    const QString link = folder.filePath(Numbered(i));
    std::error_code error;
    std::filesystem::create_hard_link(mission, link.toStdString(), error);
    if (error && !QFile::link(TestDll("mission_full.dll"), link)) return false;
  }
  return true;
}

// Texts as missions carry them: several lines; longer than a cell shows.
constexpr char kOrders[] = "Objectives:\r\n- Hold the bridge\n- Keep the convoy\tin sight";
constexpr char kOrdersCell[] = "Objectives: \u00b6 - Hold the bridge \u00b6 - Keep the convoy \u00b6 in sight";
constexpr std::size_t kLongBytes = vostrel::kCellCharacters + 1000;

// Writes a0_orders.dll (several lines), a1_long.dll (cut in its cell) and
// a copy of mission_full.dll: the orders row comes first.
bool WriteTextMissions(const QTemporaryDir& folder) {
  if (!folder.isValid()) return false;
  vostrel::testing::WriteMission(folder.filePath("a0_orders.dll").toStdString(), "Orders", kOrders);
  vostrel::testing::WriteMission(folder.filePath("a1_long.dll").toStdString(), "Long",
                                 vostrel::testing::FillerText(kLongBytes));
  return QFile::copy(TestDll("mission_full.dll"), folder.filePath("mission_full.dll"));
}

// The tooltip a user gets on a cell: empty when none shows.
QString TipOn(QTreeView& table, int row, int column) {
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QStringLiteral("(the last tooltip stayed)");
  const QPoint at = table.visualRect(table.model()->index(row, column)).center();
  QHelpEvent help(QEvent::ToolTip, at, table.viewport()->mapToGlobal(at));
  QApplication::sendEvent(table.viewport(), &help);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// Sets the window up on screen, active, as a user finds it.
void Open(frmMain& window) {
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Gives the Scan command and waits, the window's events running, until the
// scan has shown all it found; false if it never ends.
bool ScanToEnd(frmMain& window) {
  Find(window).scan->click();
  return QTest::qWaitFor([&window] { return !window.scanning(); }, 60000);
}

// `count` missions named in listing order and, last, a file whose read hangs
// until the folder is released: a FUSE file system this test serves. None
// where FUSE cannot be mounted.
std::optional<vostrel::testing::HangingFolder> HangingMissions(int count, QString& skipped) {
  std::map<std::string, std::string> files;
  const std::string mission = vostrel::testing::ReadFile(TestDll("mission_full.dll").toStdString());
  for (int i = 0; i < count; ++i) files[Numbered(i).toStdString()] = mission;
  files["zz_hangs.dll"] = mission;
  try {
    return std::optional<vostrel::testing::HangingFolder>(std::in_place, std::move(files),
                                                          std::set<std::string>{"zz_hangs.dll"});
  } catch (const vostrel::testing::NoFuse& error) {
    skipped = QString::fromUtf8(error.what());
    return std::nullopt;
  }
}

// Ctrl+A, Ctrl+C in the table: what the clipboard then holds (rows kept cut
// are read again off the window's thread: such a copy lands a moment later).
QString CopyAll(QTreeView& table) {
  QGuiApplication::clipboard()->clear();
  table.setFocus();
  QTest::keyClick(&table, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  constexpr int kFarBeyondAnyCopy = 120'000;  // ms: ten 1 MiB texts read under a sanitizer take seconds
  if (!QTest::qWaitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, kFarBeyondAnyCopy)) {
    return QStringLiteral("(nothing copied)");
  }
  return QGuiApplication::clipboard()->text();
}

// Drags a local file or folder onto the window's folder box and drops it
// there, as the window system hands a drop to the window.
// Dropped as a file manager drops it: a file URL, its name's bytes
// percent-encoded.
void DropOnFolderBox(frmMain& window, const QByteArray& path) {
  QMimeData data;
  data.setUrls({QUrl(QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/")))});
  const QPoint at = Find(window).folder->geometry().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.windowHandle(), &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.windowHandle(), &drop);
  QVERIFY(drop.isAccepted());
}

QMenu* CodePageMenu(QTreeView& table) {
  for (QAction* action : table.actions()) {
    if (action->menu() != nullptr) return action->menu();
  }
  return nullptr;
}

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 private:
  // A folder with the test DLLs under their own names, copies under other
  // names, a file that is no PE image, and entries the listing passes over.
  void MakeMissionFolder(const QString& folder) {
    const char* copies[] = {"mission_full.dll",   "mission_leveldesc_only.dll", "mission_high_bytes.dll",
                            "mission_long_desc.dll", "functions_only.dll",       "mission_full_x64.dll"};
    for (const char* name : copies) QVERIFY(QFile::copy(TestDll(name), folder + "/" + name));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), folder + "/ALPHA.DLL"));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), folder + QStringLiteral("/\u00e9t\u00e9.dll")));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), folder + "/readme.txt"));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), folder + "/.hidden.dll"));
    QVERIFY(QDir(folder).mkdir("folder.dll"));
    QFile broken(folder + "/Broken.dll");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    QVERIFY(broken.write("MZ but nothing after it") > 0);
  }

  static QList<QStringList> MissionFolderRows() {
    const QStringList full{QString(), QStringLiteral("Crater Basin"), QStringLiteral("Standard Techtree"),
                           QStringLiteral("Hold the ridge until the convoy arrives.")};
    const auto named = [](QString name, QStringList texts) {
      texts[0] = std::move(name);
      return texts;
    };
    QString longDesc = QStringLiteral("<begin>");
    for (int i = 0; i < 100; ++i) {
      longDesc += QStringLiteral("The convoy crosses the basin at dawn; hold every ridge now. ");
    }
    longDesc += QStringLiteral("<end>");
    // In upper-cased name order. functions_only.dll and Broken.dll have no
    // texts and give no row; readme.txt, .hidden.dll and the folder
    // folder.dll are not listed.
    return {
        named(QStringLiteral("ALPHA.DLL"), full),
        named(QStringLiteral("mission_full.dll"), full),
        {QStringLiteral("mission_full_x64.dll"), QStringLiteral("Twin Rivers"), QStringLiteral("Extended Techtree"),
         QStringLiteral("Take both bridges before nightfall.")},
        {QStringLiteral("mission_high_bytes.dll"), QStringLiteral("Ch\u00e2teau Fort \u2013 Bl\u00e9de"),
         QStringLiteral("\u00c6ra Standard \u00a9 \u00dcber"),
         QStringLiteral("\u201cTenez la cr\u00eate jusqu'\u00e0 l'arriv\u00e9e du convoi.\u201d "
                        "Co\u00fbt: 100 \u20ac, \u00bd de la r\u00e9serve. Se\u00f1or \u00ff\u00fe\u00a0fin.")},
        {QStringLiteral("mission_leveldesc_only.dll"), QString(), QString(),
         QStringLiteral("Scout the northern pass and report back.")},
        {QStringLiteral("mission_long_desc.dll"), QStringLiteral("Long Crossing"), QStringLiteral("Standard Techtree"),
         longDesc},
        named(QStringLiteral("\u00e9t\u00e9.dll"), full),
    };
  }

 private slots:
  // The test runs on the screen it is configured with.
  void initTestCase() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen != nullptr);
    qInfo("logical resolution %g x %g dpi", screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
    if (qEnvironmentVariableIsSet("VOSTREL_TEST_DPI")) {
      const double dpi = qEnvironmentVariable("VOSTREL_TEST_DPI").toDouble();
      QCOMPARE(screen->logicalDotsPerInchX(), dpi);
      QCOMPARE(screen->logicalDotsPerInchY(), dpi);
    }
  }

  void opensAsDesigned() {
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    QVERIFY(c.scan && c.statusBar && c.status && c.folder && c.table);

    QCOMPARE(window.windowTitle(), QStringLiteral("Kelvane"));
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(window.size(), QSize(Px(7665, DpiX(window)), Px(5985, DpiY(window))));
    if (DpiX(window) == 96 && DpiY(window) == 96) QCOMPARE(window.size(), QSize(511, 399));
    CheckFitted(window);

    QCOMPARE(c.scan->text(), QStringLiteral("&Scan"));
    QCOMPARE(c.status->text(), QStringLiteral("Ready"));
    QCOMPARE(c.folder->text(), QCoreApplication::applicationDirPath());
    QCOMPARE(c.folder->maxLength(), std::numeric_limits<int>::max());

    QCOMPARE(c.table->model()->columnCount(), 4);
    const QStringList headers{"DLL Name", "Map Name", "Techtree Name", "Level Description"};
    const int widths[] = {2540, 2540, 2540, 5080};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(c.table->model()->headerData(i, Qt::Horizontal).toString(), headers[i]);
      QCOMPARE(c.table->header()->sectionSize(i), Px(widths[i], DpiX(window)));
    }
    QVERIFY(!c.table->header()->isHidden());
    QCOMPARE(RowCount(*c.table), 0);
    QCOMPARE(c.table->font().family(), QStringLiteral("Arial"));
    QCOMPARE(c.table->font().pointSize(), 9);
    QCOMPARE(c.table->font().weight(), QFont::Normal);
    QVERIFY(!c.table->font().italic());
    QVERIFY(!c.table->rootIsDecorated());

    // The button has the focus; Tab goes on to the box, then the table.
    QCOMPARE(QApplication::focusWidget(), c.scan);
    QTest::keyClick(c.scan, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.folder);
    QTest::keyClick(c.folder, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.table);
    QTest::keyClick(c.table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.scan);
  }

  void resizeFitsControls_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("large") << QSize(1000, 700);
    QTest::newRow("wide and low") << QSize(900, 120);
    QTest::newRow("narrow and tall") << QSize(150, 600);
    QTest::newRow("narrower than the button's margin") << QSize(80, 90);
    QTest::newRow("tiny") << QSize(10, 10);
    QTest::newRow("back to large") << QSize(640, 480);
  }

  void resizeFitsControls() {
    QFETCH(QSize, size);
    frmMain window;
    Open(window);
    ResizeTo(window, size);
    CheckFitted(window);
    const Controls c = Find(window);
    QVERIFY(c.table->width() >= 0 && c.table->height() >= 0 && c.folder->width() >= 0);
  }

  void wideningMovesButtonAndWidensBoxAndTable() {
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    ResizeTo(window, QSize(600, 450));
    const QRect scan = c.scan->geometry();
    const QRect folder = c.folder->geometry();
    const QRect table = c.table->geometry();

    ResizeTo(window, QSize(600 + 137, 450));
    QCOMPARE(c.scan->geometry(), scan.translated(137, 0));
    QCOMPARE(c.folder->geometry(), folder.adjusted(0, 0, 137, 0));
    QCOMPARE(c.table->geometry(), table.adjusted(0, 0, 137, 0));

    ResizeTo(window, QSize(600 + 137, 450 + 50));
    QCOMPARE(c.scan->geometry(), scan.translated(137, 0));
    QCOMPARE(c.folder->geometry(), folder.adjusted(0, 0, 137, 0));
    QCOMPARE(c.table->geometry(), table.adjusted(0, 0, 137, 50));

    // Wider than the columns: the last takes the rest, the others keep their
    // widths, and a column the user widens takes from it; narrower again, the
    // last has its width, or the one the user gave it.
    QHeaderView* header = c.table->header();
    const int designed = Px(2540, DpiX(window));
    const int last = Px(5080, DpiX(window));
    const auto othersWidth = [header] { return header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2); };
    ResizeTo(window, QSize(Px(20000, DpiX(window)), 450));
    QTRY_COMPARE(header->sectionSize(3), c.table->viewport()->width() - 3 * designed);
    header->resizeSection(1, designed + 40);
    QCOMPARE(header->sectionSize(3), c.table->viewport()->width() - othersWidth());
    QCOMPARE(header->length(), c.table->viewport()->width());
    ResizeTo(window, QSize(600, 450));
    QTRY_COMPARE(header->sectionSize(3), last);
    QCOMPARE(header->sectionSize(1), designed + 40);
    header->resizeSection(3, last + 100);
    ResizeTo(window, QSize(Px(20000, DpiX(window)), 450));
    QTRY_VERIFY(header->sectionSize(3) > last + 100);
    ResizeTo(window, QSize(600, 450));
    QTRY_COMPARE(header->sectionSize(3), last + 100);
  }

  void scanCommand_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("click") << "click";
    QTest::newRow("Alt+S") << "alt+s";
    QTest::newRow("Alt+S in the folder box") << "alt+s in box";
  }

  // Each way of giving the Scan command scans the folder in the box, the
  // same way: the rows of its DLLs in name order, then the final status.
  void scanCommand() {
    QFETCH(QString, how);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MakeMissionFolder(folder.path());
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());

    if (how == "click") {
      QTest::mouseClick(c.scan, Qt::LeftButton);
    } else if (how == "alt+s") {
      QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    } else {
      c.folder->setFocus();
      QTest::keyClick(c.folder, Qt::Key_S, Qt::AltModifier);
      QCOMPARE(c.folder->text(), folder.path());  // the mnemonic, not a typed "s"
    }
    // A mnemonic presses its button visibly: the click comes a moment later.
    QTRY_COMPARE(c.status->text(), QStringLiteral("Scan finished."));
    QCOMPARE(Rows(*c.table), MissionFolderRows());
  }

  void scanReplacesTheRows() {
    QTemporaryDir missions;
    QTemporaryDir empty;
    QVERIFY(missions.isValid() && empty.isValid());
    MakeMissionFolder(missions.path());
    frmMain window;
    Open(window);
    const Controls c = Find(window);

    c.folder->setText(missions.path());
    c.scan->click();  // refused: the scan below runs
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Rows(*c.table), MissionFolderRows());

    c.folder->setText(empty.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Rows(*c.table), (QList<QStringList>{{"No DLL's found!", "", "", ""}}));
    QCOMPARE(c.status->text(), QStringLiteral("No files to scan."));

    c.folder->setText(missions.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Rows(*c.table), MissionFolderRows());
  }

  void enterInFolderBoxDoesNotScan() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MakeMissionFolder(folder.path());
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    c.folder->setFocus();
    QTest::keyClick(c.folder, Qt::Key_Return);
    QTest::keyClick(c.folder, Qt::Key_Enter);
    // Enter would scan at once, through a posted call, or as a default
    // button's animated press, which holds the button down until it clicks:
    // a call posted now runs after the first, and the button is up.
    bool posted = false;
    QMetaObject::invokeMethod(&window, [&posted] { posted = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(posted);
    QVERIFY(!c.scan->isDown());
    QCOMPARE(RowCount(*c.table), 0);
    QCOMPARE(c.status->text(), QStringLiteral("Ready"));
  }

  void escapeStopsScan_data() {
    QTest::addColumn<QString>("focus");
    QTest::newRow("on the button") << "cmdScan";
    QTest::newRow("in the folder box") << "txtTrhDir";
    QTest::newRow("in the table") << "lvStats";
  }

  // Escape, whichever control has the focus, ends the scan at once, even
  // while it waits for a read that hangs: the rows found so far stay, and
  // the file in hand has none.
  void escapeStopsScan() {
    QFETCH(QString, focus);
    QString skipped;
    auto folder = HangingMissions(kHangingMissions, skipped);
    if (!folder) QSKIP(qPrintable(skipped));
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(QString::fromStdString(folder->str()));
    c.scan->click();
    QVERIFY(folder->WaitForHangingRead());
    QTRY_COMPARE(RowCount(*c.table), kHangingMissions);
    QTRY_COMPARE(c.status->text(), QStringLiteral("Scanning zz_hangs.dll..."));

    auto* control = window.findChild<QWidget*>(focus);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    QVERIFY(!window.scanning());
    QCOMPARE(c.status->text(), QStringLiteral("Scan stopped."));
    QCOMPARE(RowCount(*c.table), kHangingMissions);
  }

  // While a read hangs the window answers: the filter, sorting, and closing,
  // which lets the program's event loop return, as the program's main does.
  void answersWhileAReadHangs() {
    QString skipped;
    auto folder = HangingMissions(kHangingMissions, skipped);
    if (!folder) QSKIP(qPrintable(skipped));
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(QString::fromStdString(folder->str()));
    c.scan->click();
    QVERIFY(folder->WaitForHangingRead());
    QTRY_COMPARE(RowCount(*c.table), kHangingMissions);

    QTest::keyClick(c.table, Qt::Key_F, Qt::ControlModifier);
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QTest::keyClicks(filter, Numbered(7));
    QCOMPARE(Column(*c.table, 0), QStringList{Numbered(7)});
    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(RowCount(*c.table), kHangingMissions);
    const QRect name = c.table->header()->geometry();
    for (int click = 0; click < 2; ++click) {
      QTest::mouseClick(c.table->header()->viewport(), Qt::LeftButton, {}, QPoint(10, name.height() / 2));
    }
    QCOMPARE(Row(*c.table, 0)[0], Numbered(kHangingMissions - 1));  // descending
    QVERIFY(window.scanning());

    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window.isVisible());
    QCOMPARE(c.status->text(), QStringLiteral("Scan stopped."));
  }

  // Every row is one line high whatever its texts: line breaks and tabs show
  // as one mark each, a long text is cut; the whole texts stay for copying.
  void textsShowOnOneLineAndCopyWhole() {
    QTemporaryDir folder;
    QVERIFY(WriteTextMissions(folder));
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(RowCount(*c.table), 3);
    const QString filler = QString::fromStdString(vostrel::testing::FillerText(kLongBytes));
    QCOMPARE(Row(*c.table, 0),
             (QStringList{"a0_orders.dll", "Orders", "Standard Techtree", QString::fromUtf8(kOrdersCell)}));
    QCOMPARE(Row(*c.table, 1)[3], filler.left(vostrel::kCellCharacters) + QChar(0x2026));

    const auto rowRect = [&](int row) { return c.table->visualRect(c.table->model()->index(row, 0)); };
    const int oneLine = rowRect(2).height();
    QVERIFY(oneLine < 2 * c.table->fontMetrics().lineSpacing());
    for (int row = 0; row < 2; ++row) QCOMPARE(rowRect(row).height(), oneLine);

    // Tooltips: the whole text with its line breaks, bounded, on a cell that
    // cuts it or is too narrow for it; none on a cell that shows it all.
    c.table->header()->resizeSection(3, 40);
    QCOMPARE(TipOn(*c.table, 0, 3),
             Qt::convertFromPlainText("Objectives:\n- Hold the bridge\n- Keep the convoy\tin sight", Qt::WhiteSpaceNormal));
    QCOMPARE(TipOn(*c.table, 1, 3),
             Qt::convertFromPlainText(filler.left(vostrel::kTipCharacters) + QChar(0x2026), Qt::WhiteSpaceNormal));
    QCOMPARE(TipOn(*c.table, 2, 0), QString());

    // Ctrl+A, Ctrl+C: every row, as vostrel-scan prints them; a click and the
    // context menu's Copy: the row clicked.
    const QString full = "mission_full.dll\tCrater Basin\tStandard Techtree\tHold the ridge until the convoy arrives.\n";
    QCOMPARE(CopyAll(*c.table),
             "a0_orders.dll\tOrders\tStandard Techtree\tObjectives:\\r\\n- Hold the bridge\\n- Keep the convoy\\tin sight\n"
             "a1_long.dll\tLong\tStandard Techtree\t" + filler + "\n" + full);
    QTest::mouseClick(c.table->viewport(), Qt::LeftButton, {}, rowRect(2).center());
    QCOMPARE(c.table->contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction*> actions = c.table->actions();
    QStringList captions;
    for (const QAction* action : actions) captions << action->text();
    QCOMPARE(captions, (QStringList{"Copy", "Filter\u2026", "Details\u2026", "Code Page"}));
    actions[0]->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), full);
  }

  // Ten damaged missions whose descriptions run on to the ends of their
  // 50 MB files, in bytes that each decode to three of UTF-8 ("€"): cells
  // and tooltips are cut with "…"; a copy reads the files again, each text up
  // to the bound of what is copied, cut with "…"; the window stays far below
  // what the whole texts would take.
  void keptTextIsCut() {
    constexpr int kDamaged = 10;
    constexpr std::uint64_t kDamagedBytes = 50'000'000;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (int i = 0; i < kDamaged; ++i) {
      vostrel::testing::WriteDamagedMission(folder.filePath(QStringLiteral("damaged%1.dll").arg(i)).toStdString(),
                                            "Damaged", kDamagedBytes, '\x80');
    }
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));
    QCOMPARE(RowCount(*c.table), kDamaged);

    const QChar euro(0x20AC);
    const QChar cut(0x2026);
    QCOMPARE(Row(*c.table, 0)[3], QString(vostrel::kCellCharacters, euro) + cut);
    QCOMPARE(TipOn(*c.table, 0, 3),
             Qt::convertFromPlainText(QString(vostrel::kTipCharacters, euro) + cut, Qt::WhiteSpaceNormal));
    const QString kept = QString(vostrel::kFullTextBytes, euro) + cut;
    QString copied;
    for (int i = 0; i < kDamaged; ++i) copied += QStringLiteral("damaged%1.dll\tDamaged\tStandard Techtree\t").arg(i) + kept + "\n";
    QCOMPARE(CopyAll(*c.table), copied);
    QVERIFY(!window.grab().isNull());

    // The whole texts would take 1.5 GB in UTF-8. AddressSanitizer holds
    // freed memory back for a while and shadows what is in use.
#if defined(__SANITIZE_ADDRESS__)
    constexpr double kPeakBoundMegabytes = 1024.0;
#else
    constexpr double kPeakBoundMegabytes = 400.0;
#endif
    rusage usage{};
    QCOMPARE(getrusage(RUSAGE_SELF, &usage), 0);
    const double peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    qInfo("peak resident set: %.0f MB", peakMegabytes);
    QVERIFY(peakMegabytes < kPeakBoundMegabytes);
  }

  // Clicks on a column's header sort the rows by the comparison both
  // windows share, the second click the other way; the selection follows
  // its row, and the order holds for the next scan and what is copied.
  void headerClicksSortTheRows() {
    using vostrel::testing::kSortCaseRows;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const auto& row : kSortCaseRows) {
      // The map names in Windows-1252, which Latin-1 matches for these.
      const QByteArray map = QString::fromUtf8(row.mapName.data(), qsizetype(row.mapName.size())).toLatin1();
      vostrel::testing::WriteMission(folder.filePath(QString::fromUtf8(row.dllName.data(), qsizetype(row.dllName.size())))
                                         .toStdString(),
                                     map.toStdString(), "Sorted");
    }
    const auto names = [](const vostrel::testing::SortCaseOrder& order) {
      QStringList listed;
      for (const int i : order) listed << QString::fromUtf8(kSortCaseRows[std::size_t(i)].dllName.data());
      return listed;
    };
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    QHeaderView* header = c.table->header();
    // The model's signals as views rely on them, in every change below.
    QAbstractItemModelTester tester(c.table->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));

    // Before any click: the order the folder lists them in.
    QStringList listed;
    vostrel::DllListing listing(folder.path().toStdString());
    while (const auto name = listing.Next()) listed << QString::fromStdString(*name);
    QCOMPARE(Column(*c.table, 0), listed);
    QVERIFY(!header->isSortIndicatorShown());

    const int selected = int(listed.indexOf(QStringLiteral("b.dll")));
    c.table->selectionModel()->select(c.table->model()->index(selected, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const struct {
      int column;
      vostrel::testing::SortCaseOrder order;
      Qt::SortOrder indicator;
    } clicks[] = {{0, vostrel::testing::kByNameAscending, Qt::AscendingOrder},
                  {0, vostrel::testing::kByNameDescending, Qt::DescendingOrder},
                  {1, vostrel::testing::kByMapAscending, Qt::AscendingOrder},
                  {1, vostrel::testing::kByMapDescending, Qt::DescendingOrder}};
    for (const auto& click : clicks) {
      const QPoint at(header->sectionViewportPosition(click.column) + header->sectionSize(click.column) / 2,
                      header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(Column(*c.table, 0), names(click.order));
      QVERIFY(header->isSortIndicatorShown());
      QCOMPARE(header->sortIndicatorSection(), click.column);
      QCOMPARE(header->sortIndicatorOrder(), click.indicator);
      const QModelIndexList rows = c.table->selectionModel()->selectedRows();
      QCOMPARE(rows.size(), 1);
      QCOMPARE(rows[0].data().toString(), QStringLiteral("b.dll"));
    }

    QVERIFY(ScanToEnd(window));
    QCOMPARE(Column(*c.table, 0), names(vostrel::testing::kByMapDescending));
    QStringList copiedNames;
    for (const QString& line : CopyAll(*c.table).split('\n', Qt::SkipEmptyParts)) copiedNames << line.section('\t', 0, 0);
    QCOMPARE(copiedNames, names(vostrel::testing::kByMapDescending));
  }

  // The table's context menu offers Automatic and every code page, the one in
  // use checked; choosing another reads the last scanned folder again in it.
  void codePageMenuRereadsTheTexts() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // "Москва" in Windows-1251; listed before the m0000.dll links.
    vostrel::testing::WriteMission(folder.filePath("a_cyrillic.dll").toStdString(), "\xCC\xEE\xF1\xEA\xE2\xE0", "Moscow");
    frmMain window;
    Open(window);
    const Controls c = Find(window);

    QMenu* menu = CodePageMenu(*c.table);
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), QStringLiteral("Code Page"));
    const QList<QAction*> choices = menu->actions();
    QCOMPARE(choices.size(), qsizetype(vostrel::kCodePageChoices.size() + 1));  // a separator after Automatic
    QAction* automatic = choices[0];
    QCOMPARE(automatic->text(), QStringLiteral("Automatic"));
    QVERIFY(choices[1]->isSeparator());
    QAction* cyrillic = nullptr;
    for (QAction* choice : choices) {
      QCOMPARE(choice->isChecked(), choice->data().toUInt() == vostrel::DefaultCodePage());
      if (choice->text() == QStringLiteral("Cyrillic (1251)")) cyrillic = choice;
    }
    QVERIFY(cyrillic != nullptr);

    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Row(*c.table, 0)[1], QStringLiteral("\u00cc\u00ee\u00f1\u00ea\u00e2\u00e0"));  // in Windows-1252
    for (QAction* chosen : {automatic, cyrillic}) {  // the code page its bytes tell; the one chosen
      chosen->trigger();
      // The table is empty while the folder is read again.
      QTRY_COMPARE(Row(*c.table, 0).value(1), QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430"));
      QTRY_COMPARE(c.status->text(), QStringLiteral("Scan finished."));
      QCOMPARE(RowCount(*c.table), 1);
      for (QAction* choice : choices) QCOMPARE(choice->isChecked(), choice == chosen);
    }
  }

  void folderHandedToTheWindowIsScanned_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("given");
    QTest::newRow("command line: the folder") << "argument" << "folder";
    QTest::newRow("command line: relative to the working folder") << "argument" << "relative";
    QTest::newRow("command line: a file in it") << "argument" << "file";
    QTest::newRow("command line: a FIFO in it") << "argument" << "fifo";
    QTest::newRow("command line: a name that is not UTF-8") << "argument" << "latin1";
    QTest::newRow("drop: the folder") << "drop" << "folder";
    QTest::newRow("drop: a file in it") << "drop" << "file";
    QTest::newRow("drop: a name that is not UTF-8") << "drop" << "latin1";
  }

  // A folder given on the command line (handed to the window as main does)
  // or dropped on the window, its folder box included: the box shows its
  // absolute path and the window scans it. A name that is not UTF-8 shows
  // U+FFFD for its byte and is scanned by its exact bytes.
  void folderHandedToTheWindowIsScanned() {
    QFETCH(QString, how);
    QFETCH(QString, given);
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    QByteArray missions = QFile::encodeName(temporary.path());
    if (given == "latin1") {
      QVERIFY(QDir(temporary.path()).mkdir(QStringLiteral("x")));
      MakeMissionFolder(temporary.filePath(QStringLiteral("x")));
      missions += "/lat\xE9";
      std::filesystem::rename(temporary.filePath(QStringLiteral("x")).toStdString(), missions.toStdString());
    } else {
      MakeMissionFolder(temporary.path());
    }
    // QTemporaryDir removes by names it can write as text: this one goes first.
    const auto removeByBytes = qScopeGuard([&] {
      std::error_code error;
      if (given == "latin1") std::filesystem::remove_all(missions.toStdString(), error);
    });
    const QFileInfo folder(temporary.path());
    const QString workingFolder = QDir::currentPath();
    const auto restore = qScopeGuard([&] { QDir::setCurrent(workingFolder); });
    QVERIFY(QDir::setCurrent(folder.absolutePath()));
    if (given == "fifo") QVERIFY(::mkfifo(temporary.filePath("fifo").toUtf8().constData(), 0600) == 0);
    const QByteArray path = given == "relative" ? QFile::encodeName("./" + folder.fileName() + "/")
                            : given == "file"   ? missions + "/ALPHA.DLL"
                            : given == "fifo"   ? missions + "/fifo"
                                                : missions;
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    if (how == "argument") {
      window.OpenFolder(FolderNamedBy(path.toStdString()));
    } else {
      DropOnFolderBox(window, path);
    }
    QTRY_COMPARE(Rows(*c.table), MissionFolderRows());
    QCOMPARE(c.folder->text(), QString::fromUtf8(missions));
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));
    if (given != "latin1") return;
    QVERIFY(c.folder->text().endsWith(QStringLiteral("/lat\uFFFD")));
    // The details read the mission again, by the folder's exact bytes too.
    c.table->setFocus();
    c.table->setCurrentIndex(c.table->model()->index(0, 0));
    QTest::keyClick(c.table, Qt::Key_Return);
    QDialog* details = nullptr;  // opens once read, off the window's thread
    QTRY_VERIFY((details = window.findChild<QDialog*>(QStringLiteral("frmDetails"))) != nullptr);
    auto* mapName = details->findChild<QPlainTextEdit*>(QStringLiteral("txtMapName"));
    QVERIFY(mapName != nullptr);
    QCOMPARE(mapName->toPlainText(), MissionFolderRows().front()[1]);
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");  // the folder opened, or the problem
    QTest::newRow("an empty argument: none") << QStringList{""} << "open" << "";
    QTest::newRow("an empty argument beside a folder") << QStringList{"", "a"} << "open" << "a";
    QTest::newRow("after --, a folder") << QStringList{"--", "-reverse"} << "open" << "-reverse";
    QTest::newRow("a dash alone, a folder") << QStringList{"-"} << "open" << "-";
    QTest::newRow("help") << QStringList{"--help"} << "help" << "";
    QTest::newRow("version") << QStringList{"--version"} << "version" << "";
    QTest::newRow("two folders") << QStringList{"a", "b"} << "wrong" << "give one folder at most, not also \"b\"";
    QTest::newRow("two folders after --") << QStringList{"--", "a", "-b"} << "wrong"
                                          << "give one folder at most, not also \"-b\"";
    QTest::newRow("an unknown option") << QStringList{"-reverse", "a"} << "wrong" << "unknown option -reverse";
    QTest::newRow("Qt's own option") << QStringList{"-platform", "offscreen"} << "wrong" << "unknown option -platform";
    QTest::newRow("a session restored, then a folder") << QStringList{"-session", "1a2b_3", "a"} << "open" << "a";
    QTest::newRow("a session restored, two folders") << QStringList{"-session", "1a2b_3", "a", "b"} << "wrong"
                                                     << "give one folder at most, not also \"b\"";
    QTest::newRow("help and more") << QStringList{"--help", "extra"} << "wrong"
                                   << "--help takes no other argument, not \"extra\"";
  }

  // The command line as both windows read it; what the program cannot take
  // it refuses on standard error (no terminal, no display: no box), exit 2.
  void commandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, kind);
    QFETCH(QString, said);
    std::vector<std::string> bytes;
    for (const QString& arg : args) bytes.push_back(arg.toStdString());
    const auto command = vostrel::ReadWindowArguments<char>(bytes);
    using Kind = vostrel::WindowCommand<char>::Kind;
    const QString kinds[] = {"open", "help", "version", "wrong"};
    QCOMPARE(kinds[static_cast<int>(command.kind)], kind);
    QCOMPARE(QString::fromStdString(command.kind == Kind::kWrong ? command.problem : command.folder), said);
    if (command.kind != Kind::kWrong) return;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(variable);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VOSTREL_PROGRAM), args);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()).section('\n', 0, 0), "vostrel: " + said);
  }

  // Started from a desktop (standard error no terminal), the problem shows
  // in a message box too.
  void usageProblemShowsInABox() {
    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown = box->text();
      box->accept();
    });
    closer.start(10);
    ShowUsageProblem(QStringLiteral("give one folder at most, not also \"b\""));
    QCOMPARE(shown, QStringLiteral("give one folder at most, not also \"b\""));
  }

  void aCutLibraryIsSaidInTheTable_data() {
    QTest::addColumn<qint64>("size");
    for (const qint64 size : {4096, 65536, 100000}) QTest::addRow("cut at %lld bytes", size) << size;
  }

  // The lookup library cut short (a copy still being written), which the
  // loader would have mapped and died on: the table's row says it, the scan
  // goes on to its end.
  void aCutLibraryIsSaidInTheTable() {
    QFETCH(qint64, size);
    QTemporaryDir missions;
    QTemporaryDir libraryFolder;
    QVERIFY(missions.isValid() && libraryFolder.isValid());
    MakeMissionFolder(missions.path());
    QFile whole(QCoreApplication::applicationDirPath() + QStringLiteral("/libPeloc.so"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QString library = libraryFolder.filePath(QStringLiteral("libPeloc.so"));
    QFile cut(library);
    QVERIFY(cut.open(QIODevice::WriteOnly));
    QCOMPARE(cut.write(whole.read(size)), size);
    cut.close();

    frmMain window({library.toStdString()});
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(missions.path());
    QVERIFY(ScanToEnd(window));
    QTRY_COMPARE(c.status->text(), QStringLiteral("Scan finished."));
    const QList<QStringList> rows = Rows(*c.table);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value(0), QStringLiteral("Cannot load the lookup library Peloc: %1 is damaged or incomplete; "
                                              "looked for %1.").arg(library));
  }

  // Ctrl+F shows the filter box under the table, which gives up its height;
  // typing filters the rows and the status counts them; Escape in the box
  // clears and hides it, and the table has all its rows and height back.
  // Each failure is a message row that spans the table, so that it reads
  // whole without hovering, through sorting, filtering and rescans.
  void failuresReadWholeInSpannedRows() {
    QTemporaryDir folder;
    QVERIFY(FillWithMissions(folder, 2));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), folder.filePath("locked.dll")));
    const vostrel::testing::UnreadableFile locked(folder.filePath("locked.dll").toStdString());
    const QString missing = folder.filePath("missing");
    const std::string nowhere = folder.filePath("nowhere/").toStdString() + vostrel::testing::kPelocFileName;
    const QStringList unreadable{QStringLiteral("Cannot read locked.dll: Permission denied"), "", "", ""};
    const QStringList mission{"", QStringLiteral("Crater Basin"), QStringLiteral("Standard Techtree"),
                              QStringLiteral("Hold the ridge until the convoy arrives.")};
    const auto named = [](const QString& name, QStringList texts) {
      texts[0] = name;
      return texts;
    };
    // Spanned exactly where the rows are messages, each as wide as its text.
    const auto checkSpans = [](const QTreeView& table, int messages) {
      for (int row = 0; row < RowCount(table); ++row) {
        QCOMPARE(table.isFirstColumnSpanned(row, {}), row < messages);
        const QModelIndex index = table.model()->index(row, 0);
        if (row < messages) QVERIFY(table.visualRect(index).width() > TextWidth(table, row));
      }
    };

    {
      frmMain window({nowhere});
      Open(window);
      const Controls c = Find(window);
      c.folder->setText(folder.path());
      QVERIFY(ScanToEnd(window));
      const QString library = QStringLiteral("Cannot load the lookup library Peloc: looked for %1.").arg(nowhere.c_str());
      QCOMPARE(Rows(*c.table), (QList<QStringList>{unreadable, {library, "", "", ""}}));
      QVERIFY(c.table->header()->sectionSize(0) < TextWidth(*c.table, 1));  // what the issue met
      checkSpans(*c.table, 2);
    }

    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    const QList<QStringList> found{unreadable, named(Numbered(0), mission), named(Numbered(1), mission)};
    QCOMPARE(Rows(*c.table), found);
    checkSpans(*c.table, 1);
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));

    QHeaderView* header = c.table->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionSize(0) / 2, header->height() / 2));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionSize(0) / 2, header->height() / 2));
    QCOMPARE(Column(*c.table, 0), (QStringList{unreadable[0], Numbered(1), Numbered(0)}));
    checkSpans(*c.table, 1);
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    c.table->setFocus();
    QTest::keyClick(c.table, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(filter, QStringLiteral("nothing like it"));
    QCOMPARE(Rows(*c.table), QList<QStringList>{unreadable});
    checkSpans(*c.table, 1);
    QTest::keyClick(filter, Qt::Key_Escape);
    checkSpans(*c.table, 1);

    c.folder->setText(missing);
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Rows(*c.table), (QList<QStringList>{{"No DLL's found!", "", "", ""},
                                                 {"Cannot list " + missing + ": No such file or directory", "", "", ""}}));
    QCOMPARE(c.status->text(), QStringLiteral("No files to scan."));
    checkSpans(*c.table, 2);

    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(Column(*c.table, 0), (QStringList{unreadable[0], Numbered(1), Numbered(0)}));
    checkSpans(*c.table, 1);
  }

  void filterBoxFiltersTheTable() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MakeMissionFolder(folder.path());
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QVERIFY(filter != nullptr && !filter->isVisible());
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    const QRect table = c.table->geometry();

    c.table->setFocus();
    QTest::keyClick(c.table, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(filter->isVisible());
    QCOMPARE(QApplication::focusWidget(), filter);
    // Each measure rounded to pixels on its own: within a pixel.
    QVERIFY(qAbs(table.height() - c.table->height() - filter->height()) <= 1);
    QVERIFY(qAbs(filter->y() - c.table->geometry().bottom() - 1) <= 1);
    QCOMPARE(filter->x(), table.x());
    QCOMPARE(filter->width(), table.width());
    QTest::keyClicks(filter, QStringLiteral("CRATER alpha"));
    QCOMPARE(Column(*c.table, 0), QStringList{"ALPHA.DLL"});
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished. 1 of 7 missions shown."));

    QTest::keyClick(filter, Qt::Key_Escape);
    QVERIFY(!filter->isVisible());
    QVERIFY(filter->text().isEmpty());
    QCOMPARE(c.table->geometry(), table);
    QCOMPARE(Rows(*c.table), MissionFolderRows());
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));
    QCOMPARE(QApplication::focusWidget(), c.table);
  }

  // Enter on a row opens its details, titled with the file name: the whole
  // description, its line breaks kept, read-only, copied whole; a file
  // deleted since is said, not shown as texts.
  void enterOpensTheDetails() {
    QTemporaryDir folder;
    QVERIFY(WriteTextMissions(folder));
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    c.table->setFocus();
    c.table->setCurrentIndex(c.table->model()->index(0, 0));
    QTest::keyClick(c.table, Qt::Key_Return);
    QDialog* details = nullptr;  // opens once read, off the window's thread
    QTRY_VERIFY((details = window.findChild<QDialog*>(QStringLiteral("frmDetails"))) != nullptr);
    QTRY_VERIFY(details->isActiveWindow());
    QCOMPARE(details->windowTitle(), QStringLiteral("a0_orders.dll"));
    auto* text = details->findChild<QPlainTextEdit*>(QStringLiteral("txtLevelDesc"));
    QVERIFY(text != nullptr && text->isReadOnly());
    const QString shown = QStringLiteral("Objectives:\n- Hold the bridge\n- Keep the convoy\\tin sight");
    QCOMPARE(text->toPlainText(), shown);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), shown);
    QTest::keyClick(text, Qt::Key_Escape);
    QTRY_VERIFY(window.findChild<QDialog*>(QStringLiteral("frmDetails")) == nullptr);

    // A file that cannot be read any more (deleted since the scan) is said
    // once, with the system's reason, over the texts, which stay empty.
    QVERIFY(QFile::remove(folder.filePath("a0_orders.dll")));
    QTest::keyClick(c.table, Qt::Key_Return);
    QTRY_VERIFY((details = window.findChild<QDialog*>(QStringLiteral("frmDetails"))) != nullptr);
    auto* problem = details->findChild<QLabel*>(QStringLiteral("lblProblem"));
    QVERIFY(problem != nullptr);
    QCOMPARE(problem->text(), QStringLiteral("Cannot read a0_orders.dll: No such file or directory"));
    QCOMPARE(details->findChild<QPlainTextEdit*>(QStringLiteral("txtLevelDesc"))->toPlainText(), QString());
  }

  // The window in the user's language (Polish, by LANGUAGE as gettext reads
  // it): its own texts from the catalogue, Qt's (the folder box's context
  // menu) from Qt's translations.
  void speaksTheUsersLanguage() {
    const QByteArray hadLanguage = qgetenv("LANGUAGE");
    const std::string hadLocale = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    qputenv("LANGUAGE", "pl");
    const auto restore = qScopeGuard([&] {
      qputenv("LANGUAGE", hadLanguage);
      std::setlocale(LC_MESSAGES, hadLocale.c_str());
    });
    QTranslator* qtTexts = InstallQtTranslations(*QCoreApplication::instance());
    QVERIFY(qtTexts != nullptr);
    const auto removeQtTexts = qScopeGuard([qtTexts] {
      QCoreApplication::removeTranslator(qtTexts);
      delete qtTexts;
    });
    QTemporaryDir empty;
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Kelvane"));
    QCOMPARE(c.scan->text(), QStringLiteral("&Skanuj"));
    QCOMPARE(c.status->text(), QStringLiteral("Gotowe"));
    QCOMPARE(c.table->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Drzewko technologii"));
    QCOMPARE(window.findChild<QAction*>(QStringLiteral("actCopy"))->text(), QStringLiteral("Kopiuj"));
    auto* codePages = window.findChild<QMenu*>(QStringLiteral("mnuCodePage"));
    QCOMPARE(codePages->title(), QStringLiteral("Strona kodowa"));
    QCOMPARE(codePages->actions().value(0)->text(), QStringLiteral("Automatycznie"));
    QCOMPARE(codePages->actions().value(7)->text(), QStringLiteral("Europa Środkowa (1250)"));  // after a separator
    const std::unique_ptr<QMenu> boxMenu(c.folder->createStandardContextMenu());
    const QList<QAction*> boxActions = boxMenu->actions();
    QVERIFY(std::any_of(boxActions.begin(), boxActions.end(),
                        [](const QAction* action) { return action->text().startsWith(QStringLiteral("S&kopiuj")); }));

    c.folder->setText(empty.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(c.status->text(), QStringLiteral("Brak plików do skanowania."));
    QCOMPARE(c.table->model()->index(0, 0).data().toString(), QStringLiteral("Nie znaleziono plików DLL!"));

    // The details: their captions, and the size with the count's form.
    QTemporaryDir missions;
    QVERIFY(WriteTextMissions(missions));
    c.folder->setText(missions.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(c.status->text(), QStringLiteral("Skanowanie zakończone."));
    c.table->setFocus();
    c.table->setCurrentIndex(c.table->model()->index(0, 0));
    QTest::keyClick(c.table, Qt::Key_Return);
    QDialog* details = nullptr;  // opens once read, off the window's thread
    QTRY_VERIFY((details = window.findChild<QDialog*>(QStringLiteral("frmDetails"))) != nullptr);
    QStringList captions;
    for (const QLabel* label : details->findChildren<QLabel*>()) captions << label->text();
    QVERIFY2(captions.contains(QStringLiteral("Ścieżka")) && captions.contains(QStringLiteral("Strona kodowa")),
             qPrintable(captions.join(u'|')));
    const QList<QLineEdit*> fields = details->findChildren<QLineEdit*>();
    QVERIFY(std::any_of(fields.begin(), fields.end(),
                        [](const QLineEdit* field) { return field->text().endsWith(QStringLiteral(" bajtów")) ||
                                                            field->text().endsWith(QStringLiteral(" bajty")); }));
  }

  // After a scan, a DLL copied into the folder, one deleted from it and one
  // rewritten in place show in the table, without a Scan.
  void tableFollowsItsFolder() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MakeMissionFolder(folder.path());
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QVERIFY(QFile::copy(TestDll("mission_leveldesc_only.dll"), folder.filePath("new.dll")));
    QVERIFY(QFile::remove(folder.filePath("ALPHA.DLL")));
    // Rewritten in place, as a copy over it writes it: the same file, other texts.
    QFile rebuilt(folder.filePath("mission_full.dll"));
    QFile source(TestDll("mission_leveldesc_only.dll"));
    QVERIFY(source.open(QIODevice::ReadOnly) && rebuilt.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(rebuilt.write(source.readAll()) > 0);
    rebuilt.close();
    const QStringList scouting{"", "", "", "Scout the northern pass and report back."};
    QList<QStringList> expected = MissionFolderRows().mid(1);
    expected[0] = QStringList{"mission_full.dll"} + scouting.mid(1);
    expected << QStringList{"new.dll"} + scouting.mid(1);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(*c.table), expected, 5000);

    // Rewritten keeping its size and time (as a tool that keeps the stamp
    // does): the system's word that it was written is what reads it again.
    QFile kept(folder.filePath("new.dll"));
    QVERIFY(kept.open(QIODevice::ReadWrite));
    QByteArray bytes = kept.readAll();
    const qsizetype text = bytes.indexOf("northern");
    QVERIFY(text > 0);
    bytes.replace(text, 8, "southern");
    struct stat before {};
    QCOMPARE(::fstat(kept.handle(), &before), 0);
    QVERIFY(kept.seek(0) && kept.write(bytes) == bytes.size() && kept.flush());
    const timespec times[] = {before.st_atim, before.st_mtim};
    QCOMPARE(::futimens(kept.handle(), times), 0);
    kept.close();
    expected.last()[3] = QStringLiteral("Scout the southern pass and report back.");
    QTRY_COMPARE_WITH_TIMEOUT(Rows(*c.table), expected, 5000);
  }

  // The right-hand part of the status bar says whether the table follows
  // its folder, and why it no longer does: its file system unmounted (a
  // tmpfs mounted on the folder, where this test may mount one), Escape.
  // The status a scan leaves stays "Scan finished.".
  void followingIsShownAndEndsWithAWord() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    auto* following = window.findChild<QLabel*>(QStringLiteral("sbFollowText"));
    QVERIFY(following != nullptr);
    MakeMissionFolder(folder.path());
    c.folder->setText(folder.path());
    QVERIFY(ScanToEnd(window));
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));
    QCOMPARE(following->text(), QStringLiteral("Following the folder"));
    QTest::keyClick(c.table, Qt::Key_Escape);
    QCOMPARE(following->text(), QStringLiteral("Stopped following: stopped with Escape"));
    QCOMPARE(c.status->text(), QStringLiteral("Scan finished."));

    const QByteArray mountPoint = QFile::encodeName(folder.filePath("mounted"));
    QVERIFY(QDir(folder.path()).mkdir("mounted"));
    if (::mount("vostrel-test", mountPoint.constData(), "tmpfs", 0, nullptr) != 0) {
      QSKIP(qPrintable("cannot mount a tmpfs here: " + QString::fromLocal8Bit(std::strerror(errno))));
    }
    auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    MakeMissionFolder(QFile::decodeName(mountPoint));
    c.folder->setText(QFile::decodeName(mountPoint));
    QVERIFY(ScanToEnd(window));
    QCOMPARE(following->text(), QStringLiteral("Following the folder"));
    const QList<QStringList> rows = Rows(*c.table);
    QCOMPARE(::umount2(mountPoint.constData(), 0), 0);
    unmount.dismiss();
    QTRY_COMPARE(following->text(), QStringLiteral("Stopped following: the folder was deleted, renamed or unmounted"));
    QCOMPARE(c.status->text(), "The folder " + QFile::decodeName(mountPoint) +
                                   " cannot be read any more; the table no longer follows it.");
    QCOMPARE(Rows(*c.table), rows);
  }

  // The folder box offers the folders whose names begin with what is typed,
  // and no files; the list closes when a scan starts.
  void folderBoxCompletesFolders() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkdir("missions_north") && QDir(root.path()).mkdir("missions_south"));
    QVERIFY(QFile::copy(TestDll("mission_full.dll"), root.filePath("missions_x.dll")));
    frmMain window;
    Open(window);
    const Controls c = Find(window);
    c.folder->clear();
    c.folder->setFocus();
    // Pasted in one piece, before any of its folders has been read.
    QGuiApplication::clipboard()->setText(root.path() + "/missions_");
    QTest::keyClick(c.folder, Qt::Key_V, Qt::ControlModifier);
    QCompleter* completer = c.folder->completer();
    QVERIFY(completer != nullptr);
    // The list shows once the folders are read, without another keystroke.
    QAbstractItemView* list = completer->popup();
    QTRY_VERIFY(list->isVisible());
    QStringList offered;
    for (int row = 0; row < list->model()->rowCount(); ++row) offered << list->model()->index(row, 0).data().toString();
    offered.sort();
    QCOMPARE(offered, (QStringList{"missions_north", "missions_south"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(c.status->text(), QStringLiteral("No files to scan."));
    QVERIFY(!list->isVisible());
  }

};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
