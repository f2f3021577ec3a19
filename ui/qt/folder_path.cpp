#include "ui/qt/folder_path.h"

#include <QByteArray>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <system_error>

QString ShownName(const std::string& native) { return QFile::decodeName(QByteArray::fromStdString(native)); }

NamedFolder FolderNamedBy(const std::string& path) {
  namespace fs = std::filesystem;
  // fs::path holds the bytes as they are: no name is lost to a conversion.
  std::error_code error;
  fs::path named = fs::absolute(fs::path(path), error);
  if (error) named = fs::path(path);
  named = named.lexically_normal();
  if (!named.has_filename() && named.has_relative_path()) named = named.parent_path();  // "a/b/" is "a/b"
  // A link to a folder is a folder; a link to anything else names the
  // folder the link lies in, where the user saw it.
  const bool folder = fs::is_directory(fs::status(named, error));
  const bool there = fs::symlink_status(named, error).type() != fs::file_type::not_found && !error;
  if (!folder && there) named = named.parent_path();
  return {named.native(), ShownName(named.native())};
}

// The name is taken from the URL's percent-encoded bytes, which hold a name
// that is not UTF-8 exactly (toLocalFile would not).
std::optional<NamedFolder> DroppedFolder(const QMimeData& data) {
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) {
      return FolderNamedBy(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
  }
  return std::nullopt;
}
