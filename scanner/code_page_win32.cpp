#include "scanner/code_page_win32.h"

#include <limits>
#include <stdexcept>

namespace vostrel::win32 {
namespace {

int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::length_error("text too long");
  return static_cast<int>(size);
}

}  // namespace

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = Length(text.size());
  const int wide = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (wide <= 0) throw std::runtime_error("cannot decode text");
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), wide);
  return result;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int length = Length(text.size());
  const int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) throw std::runtime_error("cannot encode text");
  std::string result(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
  return result;
}

}  // namespace vostrel::win32
