// Qt's own texts (its message boxes' buttons, the edit boxes' context menus)
// in the language of the program's texts, from the translations Qt ships
// (Debian: qt6-translations-l10n). Where Qt has none for that language, or
// the texts are English, Qt's stay English.
#pragma once

#include <QCoreApplication>
#include <QTranslator>

// The translator installed, which `app` owns; none when none is.
QTranslator* InstallQtTranslations(QCoreApplication& app);
