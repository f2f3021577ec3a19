#include "ui/console/json_writer.h"

#include <string>

#include "scanner/utf8.h"
#include "ui/core/table_text.h"

namespace vostrel {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::string_view kReplacement = "\\ufffd";

// JSON's escape for the character or byte at the start of `bytes`, empty
// when it stands as it is; `length` says how many bytes it takes.
std::string EscapeOf(std::string_view bytes, std::size_t& length) {
  length = utf8::SequenceLength(bytes);
  if (length == 0) {
    length = 1;
    return std::string(kReplacement);
  }
  const auto lead = static_cast<unsigned char>(bytes[0]);
  unsigned control = 0x100;  // none
  if (length == 1) {
    switch (lead) {
      case '"': return "\\\"";
      case '\\': return "\\\\";
      case '\b': return "\\b";
      case '\f': return "\\f";
      case '\n': return "\\n";
      case '\r': return "\\r";
      case '\t': return "\\t";
      default:
        if (lead < 0x20 || lead == 0x7F) control = lead;
    }
  } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(bytes[1]) <= 0x9F) {
    control = static_cast<unsigned char>(bytes[1]);  // C1: C2 80..C2 9F
  }
  if (control > 0xFF) return {};
  return std::string("\\u00") + kHexDigits[control >> 4] + kHexDigits[control & 0xF];
}

}  // namespace

JsonWriter::JsonWriter(std::ostream& out, std::span<const OutputColumn> columns) : out_(out), columns_(columns) {
  Write("[");
}

JsonWriter::~JsonWriter() { Write(records_ == 0 ? "]\n" : "\n]\n"); }

void JsonWriter::Write(std::string_view piece) { out_.write(piece.data(), static_cast<std::streamsize>(piece.size())); }

void JsonWriter::Record(std::span<const std::string_view> fields) {
  Write(records_++ == 0 ? "\n{" : ",\n{");
  for (std::size_t i = 0; i < fields.size() && i < columns_.size(); ++i) {
    const OutputColumn& column = columns_[i];
    if (i > 0) Write(", ");
    WriteString(column.member);
    Write(": ");
    if (column.kind == OutputColumn::Kind::kNumber) {
      Write(fields[i]);
      continue;
    }
    WriteString(fields[i]);
    if (column.kind == OutputColumn::Kind::kFileName && !utf8::IsValid(fields[i])) {
      Write(", ");
      WriteString(std::string(column.member) + "Bytes");
      Write(": ");
      WriteHex(fields[i]);
    }
  }
  Write("}");
}

void JsonWriter::WriteString(std::string_view text) {
  Write("\"");
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {  // printable ASCII, most of any text
      ++i;
      continue;
    }
    std::size_t length = 0;
    const std::string escape = EscapeOf(text.substr(i), length);
    if (!escape.empty()) {
      Write(text.substr(runStart, i - runStart));
      Write(escape);
      runStart = i + length;
    }
    i += length;
  }
  Write(text.substr(runStart));
  Write("\"");
}

void JsonWriter::WriteHex(std::string_view bytes) {
  std::string hex = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0xF];
  }
  Write(hex + "\"");
}

}  // namespace vostrel
