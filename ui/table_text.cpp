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

// The lead byte decides the range of the second byte, which rules out
// overlong forms, surrogates and code points past U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;   // below: overlong
    if (lead == 0xED) secondHigh = 0x9F;  // above: surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;   // below: overlong
    if (lead == 0xF4) secondHigh = 0x8F;  // above: past U+10FFFF
  } else {
    return 0;  // a continuation byte, C0 and C1 (overlong), F5..FF
  }
  if (bytes.size() < length || byte(1) < secondLow || byte(1) > secondHigh) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuationByte(bytes[i])) return 0;
  }
  return length;
}

namespace {

std::string HexEscape(std::string_view prefix, unsigned value, int digits) {
  constexpr std::string_view kHexDigits = "0123456789abcdef";
  std::string escape(prefix);
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) escape += kHexDigits[(value >> shift) & 0xF];
  return escape;
}

// The escape for the character or byte at the start of `bytes`, empty when it
// stands as it is; `length` says how many bytes it takes.
std::string EscapeOf(std::string_view bytes, bool escapeBackslash, std::size_t& length) {
  length = Utf8SequenceLength(bytes);
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (length == 0) {
    length = 1;
    return HexEscape("\\x", lead, 2);
  }
  if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(bytes[1]) <= 0x9F) {
    return HexEscape("\\u", static_cast<unsigned char>(bytes[1]), 4);  // C1 control: C2 80..C2 9F
  }
  if (length != 1) return {};
  switch (lead) {
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\\': return escapeBackslash ? "\\\\" : "";
    default: return lead < 0x20 || lead == 0x7F ? HexEscape("\\x", lead, 2) : "";
  }
}

void Escape(std::string_view text, bool escapeBackslash, const TextSink& write) {
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {  // printable ASCII, most of any text
      ++i;
      continue;
    }
    std::size_t length = 0;
    const std::string escape = EscapeOf(text.substr(i), escapeBackslash, length);
    if (!escape.empty()) {
      if (i > runStart) write(text.substr(runStart, i - runStart));
      write(escape);
      runStart = i + length;
    }
    i += length;
  }
  if (text.size() > runStart) write(text.substr(runStart));
}

std::string Escaped(std::string_view text, bool escapeBackslash) {
  std::string escaped;
  escaped.reserve(text.size());
  Escape(text, escapeBackslash, [&](std::string_view piece) { escaped += piece; });
  return escaped;
}

}  // namespace

void EscapeFieldTo(std::string_view text, const TextSink& write) { Escape(text, true, write); }

std::string EscapeField(std::string_view text) { return Escaped(text, true); }

std::string EscapeMessage(std::string_view text) { return Escaped(text, false); }

void RowLineTo(const ScanRow& row, const TextSink& write) {
  EscapeFieldTo(row.dllName, write);
  for (const std::string* text : {&row.mapName, &row.techName, &row.levelDesc}) {
    write("\t");
    EscapeFieldTo(*text, write);
  }
  write("\n");
}

std::string RowLine(const ScanRow& row) {
  std::string line;
  line.reserve(row.dllName.size() + row.mapName.size() + row.techName.size() + row.levelDesc.size() + 4);
  RowLineTo(row, [&](std::string_view piece) { line += piece; });
  return line;
}

std::string MessageLine(std::string_view text) { return EscapeField(text) + '\n'; }

std::string_view TableRow::Cell(std::size_t column) const {
  const std::array<const std::string*, 4> cells{&texts.dllName, &texts.mapName, &texts.techName, &texts.levelDesc};
  if (column >= cells.size() || (isMessage && column > 0)) return {};
  return *cells[column];
}

}  // namespace vostrel
