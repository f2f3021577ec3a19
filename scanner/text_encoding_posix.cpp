// Linux has no ANSI code page: texts are decoded with iconv's tables of the
// Windows code pages. File names are UTF-8 (or any bytes) already.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "text_encoding.h"

namespace vostrel {
namespace {

class Converter {
 public:
  explicit Converter(const std::string& from) : cd_(::iconv_open("UTF-8", from.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::invalid_argument("iconv cannot convert " + from);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { ::iconv_close(cd_); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

CodePage DefaultCodePage() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return AnsiCodePageOfLocale(value);
  }
  return AnsiCodePageOfLocale("");
}

struct TextDecoder::Tables {
  CodePage codePage;
  std::string iconvName;
};

TextDecoder::TextDecoder(CodePage codePage) {
  if (!FindCodePage(codePage)) throw std::invalid_argument("no such code page: " + std::to_string(codePage));
  auto tables = std::make_unique<Tables>();
  tables->codePage = codePage;
  tables->iconvName = "CP" + std::to_string(codePage);
  Converter check(tables->iconvName);
  tables_ = std::move(tables);
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&&) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&&) noexcept = default;

CodePage TextDecoder::codePage() const { return tables_->codePage; }

std::size_t TextDecoder::WholeCharacters(std::string_view bytes) const { return bytes.size(); }

void TextDecoder::AppendDecoded(std::string_view bytes, std::string& utf8) const {
  const Converter converter(tables_->iconvName);
  auto* in = const_cast<char*>(bytes.data());  // iconv's interface is not const-correct
  std::size_t inLeft = bytes.size();
  std::array<char, 4096> out{};
  while (inLeft > 0) {
    char* outPosition = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(converter.get(), &in, &inLeft, &outPosition, &outLeft);
    const int error = errno;
    utf8.append(out.data(), static_cast<std::size_t>(outPosition - out.data()));
    if (result != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) continue;
    const auto byte = static_cast<unsigned char>(*in);
    if (byte >= 0x80 && byte < 0xA0) {  // unassigned in the C1 range: the control of the same value
      utf8 += static_cast<char>(0xC2);
      utf8 += static_cast<char>(byte);
    } else {
      utf8 += "\xEF\xBF\xBD";
    }
    ++in;
    --inLeft;
  }
}

std::string NativeToUtf8(std::string_view native) { return std::string(native); }

std::string Utf8ToNative(std::string_view utf8) { return std::string(utf8); }

}  // namespace vostrel
