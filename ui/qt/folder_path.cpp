#include "folder_path.h"

#include <QDir>
#include <QFileInfo>

QString FolderNamedBy(const QString& path) {
  const QFileInfo named(QDir::current(), path);
  // A link to a folder is a folder; a link to a file names the folder the
  // link lies in, where the user saw it.
  const QString absolute = named.isFile() ? named.absolutePath() : named.absoluteFilePath();
  return QDir::toNativeSeparators(QDir::cleanPath(absolute));
}
