// The folder a path handed to the window names: given on the command line
// or dropped on the window.
#pragma once

#include <QString>

#include <optional>
#include <string>

class QMimeData;

// A folder as the window holds it: its name as the file system has it (on
// Linux any bytes, not always UTF-8) and the text the folder box shows.
struct NamedFolder {
  std::string native;
  QString shown;
};

// A name as a file manager shows it: UTF-8 read as such, each byte that is
// not part of it shown as U+FFFD, as Qt's own file dialogs and completion show it.
QString ShownName(const std::string& native);

// The folder `path` (the file system's bytes) names, absolute and clean: a
// folder (or a link to one) as itself; anything else that is there (a file,
// a FIFO, a device, a link to one, a dangling link) as the folder that holds
// it; a path that names nothing as itself, which the scan then says it
// cannot list. A relative path is taken against the working directory.
NamedFolder FolderNamedBy(const std::string& path);

// The folder a drop names: its first local file or folder; none for
// anything else.
std::optional<NamedFolder> DroppedFolder(const QMimeData& data);
