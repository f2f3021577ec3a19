// vostrel-scan's records as CSV (RFC 4180): a header row of the columns'
// captions, then a row per record; a field that holds a comma, a double quote
// or a line break is enclosed in double quotes, a double quote in it doubled;
// every row ends in CR LF, on every platform. The texts stand exactly as they
// are, line breaks, tabs and control characters too; a byte that is not part
// of valid UTF-8 (in a Linux file name) is written as U+FFFD, and a field
// that a spreadsheet would take for a formula (it begins with =, +, -, @, a
// tab or a carriage return, after any apostrophes) has an apostrophe put
// before it. The document begins with a UTF-8 byte order mark, by which
// spreadsheets tell UTF-8 from their own code page.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "ui/console/record_writer.h"

namespace vostrel {

class CsvWriter : public RecordWriter {
 public:
  // Writes the byte order mark and the header row.
  CsvWriter(std::ostream& out, std::span<const OutputColumn> columns);

  void Record(std::span<const std::string_view> fields) override;
  void Message(std::string_view) override {}

 private:
  void Write(std::string_view piece);
  void WriteField(std::string_view text);

  std::ostream& out_;
};

}  // namespace vostrel
