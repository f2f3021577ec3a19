#include "ui/console/console_stream_win32.h"

#include <string>

#include "scanner/code_page_win32.h"
#include "scanner/utf8.h"

namespace vostrel {

ConsoleStream::Buffer::Buffer(HANDLE console) : console_(console) { setp(bytes_.data(), bytes_.data() + bytes_.size()); }

ConsoleStream::Buffer::int_type ConsoleStream::Buffer::overflow(int_type c) {
  if (!WriteWholeCharacters()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (pptr() == epptr()) return traits_type::eof();  // cannot happen: at most three bytes are kept
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int ConsoleStream::Buffer::sync() { return WriteWholeCharacters() ? 0 : -1; }

bool ConsoleStream::Buffer::WriteWholeCharacters() {
  const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  const std::size_t whole = utf8::WholeCharacters(held);
  const bool written = Write(held.substr(0, whole));
  // The bytes of a character the buffer's end cut wait for the rest of it.
  const std::string rest(held.substr(whole));
  setp(bytes_.data(), bytes_.data() + bytes_.size());
  sputn(rest.data(), static_cast<std::streamsize>(rest.size()));
  return written;
}

void ConsoleStream::Buffer::WriteAll() {
  Write(std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
  setp(bytes_.data(), bytes_.data() + bytes_.size());
}

bool ConsoleStream::Buffer::Write(std::string_view utf8) {
  const std::wstring wide = win32::ToWide(CP_UTF8, utf8);
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    const auto count = static_cast<DWORD>(wide.size() - done);
    if (!::WriteConsoleW(console_, wide.data() + done, count, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

ConsoleStream::ConsoleStream(std::ostream& stream, DWORD standardHandle) : stream_(stream) {
  const HANDLE handle = ::GetStdHandle(standardHandle);
  DWORD mode = 0;
  // Only a console has a console mode; a file, a pipe or NUL has none.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return;
  console_ = handle;
  originalMode_ = mode;
  stream_.flush();
  buffer_.emplace(console_);
  originalBuffer_ = stream_.rdbuf(&*buffer_);
}

ConsoleStream::~ConsoleStream() {
  if (!buffer_) return;
  buffer_->WriteAll();
  stream_.rdbuf(originalBuffer_);
  if (modeChanged_) ::SetConsoleMode(console_, originalMode_);
}

bool ConsoleStream::EnableTerminalSequences() {
  if (console_ == nullptr) return false;
  if ((originalMode_ & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  modeChanged_ = ::SetConsoleMode(console_, originalMode_ | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
  return modeChanged_;
}

}  // namespace vostrel
