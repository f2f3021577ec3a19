// Vostrel: lists the mission DLLs of a folder with their map name, techtree
// name and level description.
#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QStringList>
#include <cstdio>

#include "folder_path.h"
#include "frm_main.h"
#include "vostrel_version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VOSTREL_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("vostrel"));
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Lists the mission DLLs of a folder with their map name, techtree name and level description."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FOLDER"),
                               QStringLiteral("The folder to open and scan at once (a file: its folder)."),
                               QStringLiteral("[FOLDER]"));
  parser.process(app);  // --help, --version and unknown options end the program here
  const QStringList folders = parser.positionalArguments();
  if (folders.size() > 1) {
    std::fprintf(stderr, "%s: give one folder at most\n\n%s", qPrintable(QCoreApplication::arguments().value(0)),
                 qPrintable(parser.helpText()));
    return 1;
  }

  frmMain window;
  window.show();
  if (!folders.isEmpty()) window.OpenFolder(FolderNamedBy(folders.first()));
  return QApplication::exec();
}
