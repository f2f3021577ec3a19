// The texts of the results table, shared by the windows and vostrel-scan: a
// cell's one bounded line, a tooltip's bounded text, and a row as one printed
// (and copied) line. Knows no toolkit; every text is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scan_view.h"
#include "text_reader.h"

namespace vostrel {

// A cell shows at most this many characters of its text, so that no window
// ever lays out a text of any length (a damaged DLL's text runs to the end of
// the file); a tooltip shows at most kTipCharacters, which keeps it within
// the 1,023 characters a common-controls tooltip holds (INFOTIPSIZE).
inline constexpr std::size_t kCellCharacters = 32768;
inline constexpr std::size_t kTipCharacters = 1000;
// What a cell shows for a line break (CR, LF or CR LF) or a tab: " ¶ ".
inline constexpr std::string_view kCellBreakMark = " \xC2\xB6 ";
// A window keeps at most this many bytes of each text as the DLL holds it
// (ScanDriver's maxTextBytes): a longer one is cut there, between two
// characters, and ends in kCutMark (text_reader.h), in the table, its
// tooltips and what is copied. vostrel-scan prints every text whole.
inline constexpr std::size_t kKeptTextBytes = std::size_t{1} << 20;

// The text as a cell shows it: on one line, at most kCellCharacters
// characters of it, then kCutMark if it goes on. Work is bounded by the limit,
// not by the text's length; the cut falls between characters.
std::string CellText(std::string_view text);
// Whether CellText cuts the text.
bool IsCutInCell(std::string_view text);
// The text as a tooltip shows it: line breaks kept (each as LF), at most
// kTipCharacters characters, then kCutMark if it goes on.
std::string TipText(std::string_view text);

// A text with tabs, line breaks and backslashes written as \t, \n, \r and \\,
// so that each row stays one line.
std::string EscapeField(std::string_view text);
// A row as vostrel-scan prints it and the table copies it: the escaped texts,
// tab-separated, and a line feed.
std::string RowLine(const ScanRow& row);
// A message row ("No DLL's found!"): its one escaped text and a line feed.
std::string MessageLine(std::string_view text);

// A row of the results table as a window keeps it: the scan's whole texts,
// for copying and tooltips, while the table itself holds only CellText.
struct TableRow {
  ScanRow texts;
  bool isMessage = false;  // only the first column holds a text

  // The whole text of column 0..3; empty past the last.
  std::string_view Cell(std::size_t column) const;
  std::string Line() const { return isMessage ? MessageLine(texts.dllName) : RowLine(texts); }
};

}  // namespace vostrel
