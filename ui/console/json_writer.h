// vostrel-scan's records as one JSON document (RFC 8259, UTF-8 without a
// byte order mark): an array with one object per record, one object a line,
// its members named by the columns. A text stands exactly as JSON's own
// escapes give it; control characters (C0, DEL, C1) are escaped, so nothing
// a mission holds reaches a terminal as one. A byte that is not part of valid
// UTF-8 reads as U+FFFD; for a file name the exact bytes follow in a second
// member, <member>Bytes (lower-case hex), only then.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string_view>

#include "ui/console/record_writer.h"

namespace vostrel {

class JsonWriter : public RecordWriter {
 public:
  JsonWriter(std::ostream& out, std::span<const OutputColumn> columns);
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;
  // Closes the array.
  ~JsonWriter() override;

  void Record(std::span<const std::string_view> fields) override;
  void Message(std::string_view) override {}

 private:
  void Write(std::string_view piece);
  void WriteString(std::string_view text);
  void WriteHex(std::string_view bytes);

  std::ostream& out_;
  std::span<const OutputColumn> columns_;
  std::size_t records_ = 0;
};

}  // namespace vostrel
