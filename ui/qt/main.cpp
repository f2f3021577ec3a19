// Vostrel: lists the mission DLLs of a folder with their map name, techtree
// name and level description.
//   vostrel [--] [FOLDER]   |   vostrel --version | --help
#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/core/window_arguments.h"
#include "ui/qt/folder_path.h"
#include "ui/qt/frm_main.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/usage_problem.h"
#include "vostrel/version.h"

namespace {

constexpr char kProgram[] = "vostrel";

void DescribeApplication() {
  QCoreApplication::setOrganizationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationName(QStringLiteral("Vostrel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VOSTREL_VERSION));
}

}  // namespace

int main(int argc, char** argv) {
  // The user's language, for the help and the problems said before Qt
  // starts (Qt takes the whole locale when it does).
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  // The arguments are read as the file system's bytes, by the rules both
  // windows share, before any display is needed: help and the version need
  // none.
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto command = vostrel::ReadWindowArguments<char>(args);
  using Kind = vostrel::WindowCommand<char>::Kind;
  switch (command.kind) {
    case Kind::kHelp:
      std::fputs(vostrel::WindowHelp(kProgram).c_str(), stdout);
      return 0;
    case Kind::kVersion:
      std::fputs("Vostrel " VOSTREL_VERSION "\n", stdout);
      return 0;
    case Kind::kWrong:
      return SayUsageProblem(command.problem, vostrel::WindowUsage(kProgram), argv);
    case Kind::kOpen:
      break;
  }

  // Qt is handed the program's name alone, so that an argument such as
  // "-reverse" or "-style" stays the user's folder; Qt's own settings are
  // given through its environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE,
  // QT_SCALE_FACTOR, ...). Only a session manager's "-session ID" is passed
  // on, so that a window restored with the desktop's session starts.
  std::string sessionOption = "-session";
  std::string session = command.session;
  std::vector<char*> qtArgv{argv[0]};
  if (!session.empty()) qtArgv.insert(qtArgv.end(), {sessionOption.data(), session.data()});
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(qtArgv.size()) - 1;
  QApplication app(qtArgc, qtArgv.data());
  DescribeApplication();
  InstallQtTranslations(app);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QGuiApplication::setDesktopFileName(QStringLiteral("vostrel"));
  frmMain window;
  window.show();
  if (!command.folder.empty()) window.OpenFolder(FolderNamedBy(command.folder));
  return QApplication::exec();
}
