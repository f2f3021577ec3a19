#include "ui/qt/qt_translations.h"

#include <QLibraryInfo>
#include <QString>

#include "i18n/translation.h"

QTranslator* InstallQtTranslations(QCoreApplication& app) {
  const std::string_view language = vostrel::TextLanguage();
  if (language.empty()) return nullptr;
  auto* translator = new QTranslator(&app);  // the application owns it
  const QString name = QStringLiteral("qtbase_") + QString::fromUtf8(language.data(), static_cast<qsizetype>(language.size()));
  if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator)) {
    return translator;
  }
  delete translator;
  return nullptr;
}
