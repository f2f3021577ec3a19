// Windows: mission texts are decoded with the system's ANSI code page (or the
// user's choice); file names are in the process's ANSI code page, which the
// program's manifest makes UTF-8 on Windows 10 (1903) and later. Every
// conversion goes through UTF-16.
#include <stdexcept>
#include <string>

#include "i18n/translation.h"
#include "scanner/code_page_win32.h"
#include "scanner/text_encoding.h"

namespace vostrel {

using win32::FromWide;
using win32::ToWide;

namespace {

constexpr CodePage kFallbackCodePage = 1252;

}  // namespace

CodePage DefaultCodePage() {
  // The system locale's, not GetACP(): with a UTF-8 manifest that is 65001.
  // (Asked by LCID: Wine does not know LOCALE_NAME_SYSTEM_DEFAULT.)
  DWORD codePage = 0;
  const int got = ::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                   reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t));
  // A locale with no ANSI code page of its own (Unicode only) says 0; one
  // the program does not offer cannot be decoded.
  if (got == 0 || !FindCodePage(codePage)) return kFallbackCodePage;
  return codePage;
}

struct TextDecoder::Tables {
  CodePage codePage;
};

TextDecoder::TextDecoder(CodePage codePage) {
  CPINFO info{};
  if (!FindCodePage(codePage) || !::GetCPInfo(codePage, &info))
    throw std::invalid_argument(Translated("no such code page: {number}", {{"number", std::to_string(codePage)}}));
  tables_ = std::make_unique<Tables>(Tables{codePage});
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&&) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&&) noexcept = default;

CodePage TextDecoder::codePage() const { return tables_->codePage; }

bool TextDecoder::IsLeadByte(unsigned char byte) const {
  return ::IsDBCSLeadByteEx(tables_->codePage, byte) != FALSE;
}

void TextDecoder::AppendDecoded(std::string_view bytes, std::string& utf8) const {
  utf8 += FromWide(CP_UTF8, ToWide(tables_->codePage, bytes));
}

std::string NativeToUtf8(std::string_view native) { return FromWide(CP_UTF8, ToWide(CP_ACP, native)); }

std::string Utf8ToNative(std::string_view utf8) { return FromWide(CP_ACP, ToWide(CP_UTF8, utf8)); }

}  // namespace vostrel
