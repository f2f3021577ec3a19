#include "scanner/system_message_win32.h"

#include "handle/unique_handle.h"
#include "scanner/code_page_win32.h"

namespace vostrel::win32 {

std::string SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const handle::UniqueHandle<handle::NullInvalid<wchar_t*, ::LocalFree>> owned(buffer);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "error " + std::to_string(error);
  return FromWide(CP_UTF8, text);
}

}  // namespace vostrel::win32
