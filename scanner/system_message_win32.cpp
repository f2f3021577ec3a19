#include "scanner/system_message_win32.h"

#include "handle/unique_handle.h"
#include "i18n/translation.h"
#include "scanner/code_page_win32.h"

namespace vostrel::win32 {

std::string SystemMessage(DWORD error) {
  // The system's words in the language of the program's texts: English where
  // those are English (a Windows without English messages gives its own);
  // otherwise the user's interface language, which chose the texts.
  const auto format = [error](DWORD language, wchar_t*& buffer) {
    return ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  };
  wchar_t* buffer = nullptr;
  DWORD length = 0;
  if (TextLanguage().empty()) length = format(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer);
  if (buffer == nullptr) length = format(0, buffer);
  const handle::UniqueHandle<handle::NullInvalid<wchar_t*, ::LocalFree>> owned(buffer);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return Translated("error {number}", {{"number", std::to_string(error)}});
  return FromWide(CP_UTF8, text);
}

}  // namespace vostrel::win32
