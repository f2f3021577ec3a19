#include "table_text.h"

#include <array>

namespace vostrel {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Hands the first `limit` characters of the text to `emit`, a line break (CR,
// LF or CR LF) and a tab each as one piece, and says whether the text goes on.
// A character is a UTF-8 lead byte with its continuation bytes; a run of stray
// continuation bytes counts one character per four bytes, so that the bytes
// looked at stay within four times the limit whatever the text.
template <class Emit>
bool WalkCharacters(std::string_view text, std::size_t limit, Emit&& emit) {
  std::size_t characters = 0;
  std::size_t continuations = 3;  // a stray continuation byte first is a character of its own
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!IsContinuationByte(c) || continuations == 3) {
      continuations = 0;
      if (characters == limit) {
        emit(text.substr(pieceStart, i - pieceStart));
        return true;
      }
      ++characters;
    } else {
      ++continuations;
      continue;
    }
    if (c == '\r' || c == '\n' || c == '\t') {
      emit(text.substr(pieceStart, i - pieceStart));
      const bool crLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
      emit(text.substr(i, crLf ? 2 : 1));
      if (crLf) ++i;
      pieceStart = i + 1;
    }
  }
  emit(text.substr(pieceStart));
  return false;
}

bool IsBreakOrTab(std::string_view piece) { return piece == "\t" || piece == "\r" || piece == "\n" || piece == "\r\n"; }

}  // namespace

std::string CellText(std::string_view text) {
  std::string cell;
  const bool cut = WalkCharacters(text, kCellCharacters, [&](std::string_view piece) {
    cell += IsBreakOrTab(piece) ? kCellBreakMark : piece;
  });
  if (cut) cell += kCutMark;
  return cell;
}

bool IsCutInCell(std::string_view text) {
  return WalkCharacters(text, kCellCharacters, [](std::string_view) {});
}

std::string TipText(std::string_view text) {
  std::string tip;
  const bool cut = WalkCharacters(text, kTipCharacters, [&](std::string_view piece) {
    tip += piece == "\r" || piece == "\r\n" ? "\n" : piece;
  });
  if (cut) tip += kCutMark;
  return tip;
}

std::string EscapeField(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      case '\\': escaped += "\\\\"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string RowLine(const ScanRow& row) {
  std::string line = EscapeField(row.dllName);
  for (const std::string* text : {&row.mapName, &row.techName, &row.levelDesc}) {
    line += '\t';
    line += EscapeField(*text);
  }
  line += '\n';
  return line;
}

std::string MessageLine(std::string_view text) { return EscapeField(text) + '\n'; }

std::string_view TableRow::Cell(std::size_t column) const {
  const std::array<const std::string*, 4> cells{&texts.dllName, &texts.mapName, &texts.techName, &texts.levelDesc};
  if (column >= cells.size() || (isMessage && column > 0)) return {};
  return *cells[column];
}

}  // namespace vostrel
