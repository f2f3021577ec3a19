// vostrel-scan's output: records of a few named columns, written as they
// come, as tab-separated lines (the default), as one JSON array of objects or
// as CSV. A text of any length is written a piece at a time, never held again.
#pragma once

#include <array>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "ui/core/window_layout.h"

namespace vostrel {

enum class OutputFormat { kTsv, kJson, kCsv };

// The format named on the command line: "tsv", "json" or "csv".
std::optional<OutputFormat> FindOutputFormat(std::string_view name);

struct OutputColumn {
  enum class Kind {
    kText,
    // A name as the file system holds it, which on Linux may be any bytes:
    // JSON adds the member <member>Bytes when it is not valid UTF-8.
    kFileName,
    kNumber,  // decimal digits, a JSON number
  };
  std::string_view member;   // JSON's
  std::string_view caption;  // CSV's header
  Kind kind = Kind::kText;
  // What the command was given (--offset's FILE and EXPORT): a JSON object or
  // CSV record holds it so that it stands alone; the tab-separated line, read
  // beside the command, leaves it out.
  bool repeatsArgument = false;
};

// A scan's rows; CSV's captions are the window's.
inline constexpr std::array<OutputColumn, 4> kScanColumns{{
    {"file", layout::kColumns[0].header, OutputColumn::Kind::kFileName},
    {"mapName", layout::kColumns[1].header},
    {"techtreeName", layout::kColumns[2].header},
    {"levelDesc", layout::kColumns[3].header},
}};

// --offset's answer.
inline constexpr std::array<OutputColumn, 4> kOffsetColumns{{
    {"file", "File", OutputColumn::Kind::kFileName, true},
    {"export", "Export", OutputColumn::Kind::kText, true},
    {"offset", "Offset", OutputColumn::Kind::kNumber},
    {"text", "Text"},
}};

class RecordWriter {
 public:
  virtual ~RecordWriter() = default;

  // One record: a field per column, UTF-8 (a file name may hold any bytes).
  virtual void Record(std::span<const std::string_view> fields) = 0;
  // A message that stands in the table in place of rows ("No DLL's found!"):
  // a line of its own in TSV; JSON and CSV hold missions only and leave it out.
  virtual void Message(std::string_view text) = 0;
};

// What comes before the first record (JSON's "[", CSV's header) is written
// at once; JSON's array is closed when the writer goes, however the scan
// ended, so the document is whole.
std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, std::ostream& out,
                                               std::span<const OutputColumn> columns);

}  // namespace vostrel
