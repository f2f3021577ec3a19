// Windows: 8-bit texts are in the system's ANSI code page; the program's texts
// are UTF-8. Every conversion goes through UTF-16.
#include <windows.h>

#include <limits>
#include <stdexcept>

#include "text_encoding.h"

namespace vostrel {
namespace {

int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::length_error("text too long");
  return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = Length(text.size());
  const int wide = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (wide <= 0) throw std::runtime_error("cannot decode text");
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), wide);
  return result;
}

// Characters the target code page lacks become its default character.
std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int length = Length(text.size());
  const int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) throw std::runtime_error("cannot encode text");
  std::string result(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
  return result;
}

}  // namespace

std::string DecodeAnsi(std::string_view bytes) { return FromWide(CP_UTF8, ToWide(CP_ACP, bytes)); }

std::string NativeToUtf8(std::string_view native) { return DecodeAnsi(native); }

std::string Utf8ToNative(std::string_view utf8) { return FromWide(CP_ACP, ToWide(CP_UTF8, utf8)); }

}  // namespace vostrel
