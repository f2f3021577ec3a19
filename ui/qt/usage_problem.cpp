#include "ui/qt/usage_problem.h"

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "ui/core/table_text.h"
#include "ui/core/window_layout.h"
#include "ui/qt/folder_path.h"
#include "ui/qt/qt_translations.h"

namespace {

// Without one, Qt's platform could not start and would end the program
// before the box; the words on standard error are said by then.
bool DisplayAtHand() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int SayUsageProblem(const std::string& problem, const std::string& usage, char** argv) {
  // Escaped as vostrel-scan says its problems: an argument's control bytes do not reach the terminal.
  std::fprintf(stderr, "vostrel: %s\n%s", vostrel::EscapeMessage(problem).c_str(), usage.c_str());
  if (::isatty(STDERR_FILENO) != 1 && DisplayAtHand()) {
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    InstallQtTranslations(app);
    ShowUsageProblem(ShownName(problem));
  }
  return 2;
}

void ShowUsageProblem(const QString& problem) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(vostrel::layout::kCaption.data(), static_cast<qsizetype>(vostrel::layout::kCaption.size())), problem, QMessageBox::Ok);
  box.setObjectName(QStringLiteral("usageProblem"));
  box.exec();
}
