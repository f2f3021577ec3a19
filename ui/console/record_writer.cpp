#include "ui/console/record_writer.h"

#include "ui/console/csv_writer.h"
#include "ui/console/json_writer.h"
#include "ui/console/tsv_writer.h"

namespace vostrel {

std::optional<OutputFormat> FindOutputFormat(std::string_view name) {
  if (name == "tsv") return OutputFormat::kTsv;
  if (name == "json") return OutputFormat::kJson;
  if (name == "csv") return OutputFormat::kCsv;
  return std::nullopt;
}

std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, std::ostream& out,
                                               std::span<const OutputColumn> columns) {
  switch (format) {
    case OutputFormat::kJson:
      return std::make_unique<JsonWriter>(out, columns);
    case OutputFormat::kCsv:
      return std::make_unique<CsvWriter>(out, columns);
    case OutputFormat::kTsv:
      break;
  }
  return std::make_unique<TsvWriter>(out, columns);
}

}  // namespace vostrel
