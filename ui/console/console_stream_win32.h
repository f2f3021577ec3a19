// Windows: standard output and error when they are a console. The program
// writes UTF-8; a console shows bytes in its own output code page (an OEM one
// unless set), so on a console the text goes as UTF-16 through WriteConsoleW,
// which every Windows shows right, and the console's code page, which the
// shell that started the program shares, is left alone. To a file or a pipe
// the bytes go as they are.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string_view>

namespace vostrel {

// While it lives, `stream` writes to the console of the standard handle
// (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE) if that is a console.
class ConsoleStream {
 public:
  ConsoleStream(std::ostream& stream, DWORD standardHandle);
  ConsoleStream(const ConsoleStream&) = delete;
  ConsoleStream& operator=(const ConsoleStream&) = delete;
  // Writes what is left and gives the stream its own buffer back.
  ~ConsoleStream();

  bool IsConsole() const { return console_ != nullptr; }
  // Lets the console take the progress line's ESC [K (Windows 10 and later)
  // until the object goes; says whether it does.
  bool EnableTerminalSequences();

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(HANDLE console);
    // Writes every byte held, a character that was cut short as U+FFFD.
    void WriteAll();

   protected:
    int_type overflow(int_type c) override;
    int sync() override;

   private:
    bool WriteWholeCharacters();
    bool Write(std::string_view utf8);

    HANDLE console_;
    std::array<char, 4096> bytes_{};
  };

  std::ostream& stream_;
  HANDLE console_ = nullptr;  // owned by the process, not closed here
  DWORD originalMode_ = 0;
  bool modeChanged_ = false;
  std::optional<Buffer> buffer_;
  std::streambuf* originalBuffer_ = nullptr;
};

}  // namespace vostrel
