#include "ui/qt/folder_path.h"

#include <QByteArray>
#include <QFile>
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
