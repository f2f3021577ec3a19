// The folder a path handed to the window names: given on the command line
// or dropped on the window.
#pragma once

#include <QString>

// The path as the folder box takes it, absolute and clean: a folder (or a
// path that names nothing, which the scan then says it cannot list) as
// itself, a file as the folder that holds it. A relative path is taken
// against the working directory.
QString FolderNamedBy(const QString& path);
