#include "ui/console/tsv_writer.h"

#include "ui/core/table_text.h"

namespace vostrel {

void TsvWriter::Record(std::span<const std::string_view> fields) {
  const auto write = [&](std::string_view piece) { out_.write(piece.data(), static_cast<std::streamsize>(piece.size())); };
  bool first = true;
  for (std::size_t i = 0; i < fields.size() && i < columns_.size(); ++i) {
    if (columns_[i].repeatsArgument) continue;
    if (!first) write("\t");
    first = false;
    EscapeFieldTo(fields[i], write);
  }
  write("\n");
}

void TsvWriter::Message(std::string_view text) { out_ << MessageLine(text); }

}  // namespace vostrel
