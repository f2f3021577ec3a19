// The texts of the results table, shared by the windows and vostrel-scan: a
// cell's one bounded line, a tooltip's bounded text, and a row as one printed
// (and copied) line. Knows no toolkit; every text is UTF-8.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "scanner/scan_view.h"
#include "scanner/text_reader.h"

namespace vostrel {

// A cell shows at most this many characters of its text, so that no window
// ever lays out a text of any length (a damaged DLL's text runs to the end of
// the file); a tooltip shows at most kTipCharacters, which keeps it within
// the 1,023 characters a common-controls tooltip holds (INFOTIPSIZE).
inline constexpr std::size_t kCellCharacters = 32768;
inline constexpr std::size_t kTipCharacters = 1000;
// What a cell shows for a line break (CR, LF or CR LF) or a tab: " ¶ ".
inline constexpr std::string_view kCellBreakMark = " \xC2\xB6 ";
// A window copies, and shows in its details, at most this many bytes of each
// text as the DLL holds it: a longer one is cut there, between two
// characters, and ends in kCutMark (text_reader.h). vostrel-scan prints every
// text whole.
inline constexpr std::size_t kFullTextBytes = std::size_t{1} << 20;
// What a window's scan reads of each text (ScanDriver's maxTextBytes): a
// character of a code page, and a line break CR LF, takes at most two bytes,
// so this holds the kCellCharacters characters a cell shows and the one after
// them that says the text goes on.
inline constexpr std::size_t kTableTextBytes = 2 * (kCellCharacters + 1);

// The text as a cell shows it: on one line, at most kCellCharacters
// characters of it, then kCutMark if it goes on. Work is bounded by the limit,
// not by the text's length; the cut falls between characters.
std::string CellText(std::string_view text);
// Whether CellText cuts the text.
bool IsCutInCell(std::string_view text);
// The text as a tooltip shows it: line breaks kept (each as LF), at most
// kTipCharacters characters, then kCutMark if it goes on.
std::string TipText(std::string_view text);

// A text as vostrel-scan prints it and the table copies it: one line of
// printable, valid UTF-8 from which the text can be told exactly. A tab, LF,
// CR and backslash are written \t, \n, \r and \\ (two backslashes); every
// other C0 control and DEL as \x and two lower-case hex digits (ESC: \x1b);
// a C1 control (U+0080..U+009F) as \u and four (\u0085); each byte that is
// not part of a valid UTF-8 sequence as \x and its two digits (\xe9). Not
// valid: stray or missing continuation bytes, overlong forms, surrogates,
// code points past U+10FFFF. Every other character stands as it is.
std::string EscapeField(std::string_view text);
// The same, handed to `write` a piece at a time (runs of the text as they
// are, and escapes), so that a text of any length is never held twice.
using TextSink = std::function<void(std::string_view)>;
void EscapeFieldTo(std::string_view text, const TextSink& write);
// EscapeField for the program's messages (status lines, problems), which
// people read: the same, except that a backslash stands as it is, as it does
// in every Windows path.
std::string EscapeMessage(std::string_view text);
// A row as vostrel-scan prints it and the table copies it: the escaped texts,
// tab-separated, and a line feed.
std::string RowLine(const ScanRow& row);
// The same, handed to `write` a piece at a time.
void RowLineTo(const ScanRow& row, const TextSink& write);
// A message row ("No DLL's found!"): its one escaped text and a line feed.
std::string MessageLine(std::string_view text);

// A row of the results table as a window keeps it: of each text as much as
// its cell and tooltip show (KeptRow), from which the cell's and the
// tooltip's texts are made as from the whole text. The table's sort and
// filter work on these too.
struct TableRow {
  ScanRow texts;
  bool isMessage = false;  // only the first column holds a text
  // A text is cut short of what the file holds: a copy reads the file again.
  bool cut = false;

  // The kept text of column 0..3; empty past the last.
  std::string_view Cell(std::size_t column) const;
  std::string Line() const { return isMessage ? MessageLine(texts.dllName) : RowLine(texts); }
};

// The mission row a window keeps of a row the scan found: each text that goes
// on past the kCellCharacters characters a cell shows (counted as the cell
// counts them) is cut there and ends in kCutMark, and the row says it was cut.
// Bounds what the table holds however long the texts run: at most three
// bytes of UTF-8 a character.
TableRow KeptRow(ScanRow row);

}  // namespace vostrel
