#include "ui/console/csv_writer.h"

#include <vector>

#include "scanner/utf8.h"
#include "ui/core/table_text.h"

namespace vostrel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kRowEnd = "\r\n";

// A spreadsheet takes a cell that begins with one of these for a formula
// (a tab or a carriage return may come before it), so a file named
// "=cmd.dll" or a map name =HYPERLINK(...) would run: such a field is
// written after an apostrophe, which makes the cell text. A field that
// already begins with apostrophes before one of them gets one more, so
// that a script takes exactly one off whatever the text held.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

bool StartsAsAFormula(std::string_view text) {
  const std::size_t first = text.find_first_not_of('\'');
  return first != std::string_view::npos && kFormulaStarts.find(text[first]) != std::string_view::npos;
}

}  // namespace

CsvWriter::CsvWriter(std::ostream& out, std::span<const OutputColumn> columns) : out_(out) {
  Write(kByteOrderMark);
  std::vector<std::string_view> captions;
  for (const OutputColumn& column : columns) captions.push_back(column.caption);
  Record(captions);
}

void CsvWriter::Write(std::string_view piece) { out_.write(piece.data(), static_cast<std::streamsize>(piece.size())); }

void CsvWriter::Record(std::span<const std::string_view> fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) Write(",");
    WriteField(fields[i]);
  }
  Write(kRowEnd);
}

void CsvWriter::WriteField(std::string_view text) {
  const bool quoted = text.find_first_of("\",\r\n") != std::string_view::npos;
  if (quoted) Write("\"");
  if (StartsAsAFormula(text)) Write("'");
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 && c != '"') {
      ++i;
      continue;
    }
    const std::size_t length = c == '"' ? 1 : utf8::SequenceLength(text.substr(i));
    if (length > 1) {
      i += length;
      continue;
    }
    Write(text.substr(runStart, i - runStart));
    Write(c == '"' ? std::string_view("\"\"") : kReplacement);
    runStart = ++i;
  }
  Write(text.substr(runStart));
  if (quoted) Write("\"");
}

}  // namespace vostrel
