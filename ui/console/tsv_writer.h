// vostrel-scan's records as tab-separated lines, each field escaped as the
// windows copy it (table_text.h): one line of printable UTF-8 per record.
#pragma once

#include <ostream>
#include <span>

#include "ui/console/record_writer.h"

namespace vostrel {

class TsvWriter : public RecordWriter {
 public:
  TsvWriter(std::ostream& out, std::span<const OutputColumn> columns) : out_(out), columns_(columns) {}

  void Record(std::span<const std::string_view> fields) override;
  void Message(std::string_view text) override;

 private:
  std::ostream& out_;
  std::span<const OutputColumn> columns_;
};

}  // namespace vostrel
