// Vostrel: lists the mission DLLs of a folder with their map name, techtree
// name and level description.
#include <QApplication>
#include <QLocale>

#include "frm_main.h"
#include "vostrel_version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VOSTREL_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("vostrel"));
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

  frmMain window;
  window.show();
  return QApplication::exec();
}
