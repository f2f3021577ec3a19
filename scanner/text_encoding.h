// Conversions between the program's UTF-8 texts and the 8-bit texts of files
// and file names. One implementation per platform.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "scanner/code_pages.h"

namespace vostrel {

// The code page mission texts are read in unless the user picks another:
// on Windows the system's ANSI code page (not the process's, which may be
// UTF-8); elsewhere the one Windows gives the user's locale (LC_ALL, else
// LC_CTYPE, else LANG).
CodePage DefaultCodePage();

// Turns the bytes of texts in one code page into UTF-8, as Windows does:
// bytes the code page leaves unassigned and invalid double-byte sequences
// give the characters Windows' own conversion gives. Built once per code page
// (it may hold tables), then used for any number of texts; const use is safe
// from several threads.
class TextDecoder {
 public:
  // Throws std::invalid_argument when the code page is not one of kCodePages
  // or the platform cannot decode it.
  explicit TextDecoder(CodePage codePage);
  ~TextDecoder();
  TextDecoder(TextDecoder&&) noexcept;
  TextDecoder& operator=(TextDecoder&&) noexcept;

  CodePage codePage() const;

  // The length of the longest start of `bytes` that ends between two
  // characters: all of them for a single-byte code page; for a double-byte
  // one, short of a lead byte whose second byte may be in what follows.
  // `bytes` must begin at a character.
  std::size_t WholeCharacters(std::string_view bytes) const;

  // Appends the UTF-8 of `bytes`, which begin at a character and end between
  // two characters or at the end of the text.
  void AppendDecoded(std::string_view bytes, std::string& utf8) const;

  // The UTF-8 of a whole text.
  std::string Decode(std::string_view bytes) const {
    std::string utf8;
    AppendDecoded(bytes, utf8);
    return utf8;
  }

 private:
  // Whether the code page takes `byte` as the first of a double-byte
  // character: one implementation per platform.
  bool IsLeadByte(unsigned char byte) const;

  struct Tables;
  std::unique_ptr<const Tables> tables_;
};

// A file-system name (the process's ANSI code page on Windows, which the
// program's manifest makes UTF-8 where Windows allows it; UTF-8 or any bytes
// elsewhere) to UTF-8 and back.
std::string NativeToUtf8(std::string_view native);
std::string Utf8ToNative(std::string_view utf8);

// A file-system name as the standard library's paths take it. Through UTF-8,
// which paths read as UTF-8 everywhere (as bytes on POSIX); a plain string is
// read in the C library's locale on Windows, where names outside ASCII are
// then not found.
inline std::filesystem::path NativePath(std::string_view native) {
  const std::string utf8 = NativeToUtf8(native);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace vostrel
