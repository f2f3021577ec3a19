// The program's texts (UTF-8) as Qt holds them.
#pragma once

#include <QString>

#include <string_view>

inline QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
