// Vostrel: lists the mission DLLs of a folder with their map name, techtree
// name and level description.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

#include "folder_path.h"
#include "frm_main.h"
#include "vostrel_version.h"

namespace {

void DescribeApplication() {
  QCoreApplication::setOrganizationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VOSTREL_VERSION));
}

// Whether the command line asks only for text: help or the version, which
// need no display.
bool AsksForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Help and the version are printed without connecting to a display; the
  // window's application object would fail without one.
  std::unique_ptr<QCoreApplication> app = AsksForText(argc, argv) ? std::make_unique<QCoreApplication>(argc, argv)
                                                                   : std::make_unique<QApplication>(argc, argv);
  DescribeApplication();
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Lists the mission DLLs of a folder with their map name, techtree name and level description."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FOLDER"),
                               QStringLiteral("The folder to open and scan at once (a file: its folder)."),
                               QStringLiteral("[FOLDER]"));
  parser.process(*app);  // --help, --version and unknown options end the program here
  const QStringList folders = parser.positionalArguments();
  if (folders.size() > 1) {
    std::fprintf(stderr, "%s: give one folder at most\n\n%s", qPrintable(QCoreApplication::arguments().value(0)),
                 qPrintable(parser.helpText()));
    return 1;
  }

  QGuiApplication::setDesktopFileName(QStringLiteral("vostrel"));
  frmMain window;
  window.show();
  if (!folders.isEmpty()) window.OpenFolder(FolderNamedBy(folders.first()));
  return QApplication::exec();
}
