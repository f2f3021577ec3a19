#include "ui/qt/folder_completion.h"

#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>

void CompleteFolderNames(QLineEdit& box) {
  auto* completer = new QCompleter(&box);
  auto* folders = new QFileSystemModel(completer);
  folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders->setRootPath(QString());
  completer->setModel(folders);
  box.setCompleter(completer);
  // Folders are read in the background, and the completion looks only in
  // folders already read (and completes again when one it waits for has
  // been): each edit has the folder typed so far read.
  QObject::connect(&box, &QLineEdit::textEdited, folders, [folders](const QString& typed) {
    const QString folder = QFileInfo(typed).path();
    if (QFileInfo(folder).isAbsolute()) folders->setRootPath(folder);
  });
}
