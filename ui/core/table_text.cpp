#include "ui/core/table_text.h"

#include <array>
#include <optional>
#include <utility>

#include "scanner/utf8.h"

namespace vostrel {
namespace {

// Hands the first `limit` characters of the text to `emit`, a line break (CR,
// LF or CR LF) and a tab each as one piece, and says whether the text goes on.
// A byte that begins no UTF-8 character counts as one, as EscapeField writes
// it, so that the bytes looked at stay within four times the limit.
template <class Emit>
bool WalkCharacters(std::string_view text, std::size_t limit, Emit&& emit) {
  std::size_t characters = 0;
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (characters == limit) {
      emit(text.substr(pieceStart, i - pieceStart));
      return true;
    }
    ++characters;
    const char c = text[i];
    if (c == '\r' || c == '\n' || c == '\t') {
      emit(text.substr(pieceStart, i - pieceStart));
      const std::size_t length = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
      emit(text.substr(i, length));
      i += length;
      pieceStart = i;
    } else {
      utf8::DecodeNext(text, i);
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

namespace {

std::string HexEscape(std::string_view prefix, unsigned value, int digits) {
  constexpr std::string_view kHexDigits = "0123456789abcdef";
  std::string escape(prefix);
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) escape += kHexDigits[(value >> shift) & 0xF];
  return escape;
}

// The escape of an ASCII or C1 `character` whose first byte is `lead`, or of
// the byte `lead` when it begins no character; empty when it stands as it is.
std::string EscapeOf(unsigned char lead, std::optional<char32_t> character, bool escapeBackslash) {
  if (!character) return HexEscape("\\x", lead, 2);
  if (*character >= 0x80) return HexEscape("\\u", *character, 4);  // a C1 control: the others stand
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
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x20 && lead < 0x7F && lead != '\\') {  // printable ASCII, most of any text
      ++i;
      continue;
    }
    const std::size_t start = i;
    const std::optional<char32_t> character = utf8::DecodeNext(text, i);
    if (character && *character >= 0xA0) continue;  // past the C1 controls every character stands
    const std::string escape = EscapeOf(lead, character, escapeBackslash);
    if (!escape.empty()) {
      if (start > runStart) write(text.substr(runStart, start - runStart));
      write(escape);
      runStart = i;
    }
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

TableRow KeptRow(ScanRow row) {
  TableRow kept{std::move(row), false};
  for (std::string* text : {&kept.texts.mapName, &kept.texts.techName, &kept.texts.levelDesc}) {
    std::size_t shown = 0;  // bytes of the characters a cell shows: the pieces follow each other
    const bool goesOn = WalkCharacters(*text, kCellCharacters, [&](std::string_view piece) { shown += piece.size(); });
    if (!goesOn) continue;
    // A string of its own size: the text as read held twice as many bytes.
    std::string cutText;
    cutText.reserve(shown + kCutMark.size());
    cutText.append(*text, 0, shown).append(kCutMark);
    *text = std::move(cutText);
    kept.cut = true;
  }
  return kept;
}

std::string_view TableRow::Cell(std::size_t column) const {
  const std::array<const std::string*, 4> cells{&texts.dllName, &texts.mapName, &texts.techName, &texts.levelDesc};
  if (column >= cells.size() || (isMessage && column > 0)) return {};
  return *cells[column];
}

}  // namespace vostrel
