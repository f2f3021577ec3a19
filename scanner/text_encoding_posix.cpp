// Linux has no ANSI code page; mission texts are Windows-1252, the code page
// they are written in on a US-English system. Decoded with iconv, except the
// five bytes Windows-1252 leaves unassigned, which Windows maps to the C1
// controls of the same value. File names are UTF-8 already.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <stdexcept>

#include "text_encoding.h"

namespace vostrel {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert to UTF-8");
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { ::iconv_close(cd_); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

bool IsUnassignedInWindows1252(unsigned char byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

void AppendC1Control(std::string& utf8, unsigned char byte) {
  utf8 += static_cast<char>(0xC2);
  utf8 += static_cast<char>(byte);
}

}  // namespace

std::string DecodeAnsi(std::string_view bytes) {
  const Converter converter("UTF-8", "WINDOWS-1252");
  std::string utf8;
  utf8.reserve(bytes.size());
  auto* in = const_cast<char*>(bytes.data());  // iconv's interface is not const-correct
  std::size_t inLeft = bytes.size();
  std::array<char, 1024> out{};
  while (inLeft > 0) {
    char* outPosition = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(converter.get(), &in, &inLeft, &outPosition, &outLeft);
    const int error = errno;
    utf8.append(out.data(), static_cast<std::size_t>(outPosition - out.data()));
    if (result != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) continue;
    // Only the unassigned bytes stop the conversion; every other byte has a character.
    const auto byte = static_cast<unsigned char>(*in);
    if (IsUnassignedInWindows1252(byte)) {
      AppendC1Control(utf8, byte);
    } else {
      utf8 += "\xEF\xBF\xBD";  // U+FFFD, should iconv ever refuse another byte
    }
    ++in;
    --inLeft;
  }
  return utf8;
}

std::string NativeToUtf8(std::string_view native) { return std::string(native); }

std::string Utf8ToNative(std::string_view utf8) { return std::string(utf8); }

}  // namespace vostrel
