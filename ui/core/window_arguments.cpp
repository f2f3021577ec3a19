#include "ui/core/window_arguments.h"

#include <utility>
#include <vector>

#include "i18n/translation.h"
#include "scanner/utf8.h"

namespace vostrel {
namespace {

template <typename Char>
std::basic_string<Char> Widen(std::string_view ascii) {
  return std::basic_string<Char>(ascii.begin(), ascii.end());
}

// An argument in the UTF-8 of the program's texts: bytes on Linux are taken
// as they are; UTF-16 on Windows is encoded, a lone surrogate as U+FFFD.
std::string ToUtf8(const std::string& text) { return text; }
std::string ToUtf8(const std::wstring& text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto unit = static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && unit >= 0xD800 && unit < 0xE000) {
      const bool paired = unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      unit = paired ? 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00) : 0xFFFD;
    }
    utf8::Append(unit, utf8);
  }
  return utf8;
}

// A translated text back in the arguments' own form.
template <typename Char>
std::basic_string<Char> FromUtf8(std::string_view utf8);
template <>
std::string FromUtf8<char>(std::string_view utf8) {
  return std::string(utf8);
}
template <>
std::wstring FromUtf8<wchar_t>(std::string_view utf8) {
  std::wstring text;
  for (std::size_t position = 0; position < utf8.size();) {
    const char32_t character = utf8::DecodeNext(utf8, position).value_or(U'\uFFFD');
    if (sizeof(wchar_t) == 2 && character >= 0x10000) {
      text += static_cast<wchar_t>(0xD800 + ((character - 0x10000) >> 10));
      text += static_cast<wchar_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else {
      text += static_cast<wchar_t>(character);
    }
  }
  return text;
}

template <typename Char>
std::basic_string<Char> Quoted(const std::basic_string<Char>& text) {
  return Widen<Char>("\"") + text + Widen<Char>("\"");
}

template <typename Char>
std::basic_string<Char> Problem(std::string_view text, TextFields fields) {
  return FromUtf8<Char>(Translated(text, fields));
}

template <typename Char>
WindowCommand<Char> Wrong(std::basic_string<Char> problem) {
  WindowCommand<Char> command;
  command.kind = WindowCommand<Char>::Kind::kWrong;
  command.problem = std::move(problem);
  return command;
}

}  // namespace

template <typename Char>
WindowCommand<Char> ReadWindowArguments(std::span<const std::basic_string<Char>> args) {
  using String = std::basic_string<Char>;
  using Kind = typename WindowCommand<Char>::Kind;
  std::vector<const String*> folders;
  String session;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const String& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != Char('-')) {
      if (!arg.empty()) folders.push_back(&arg);
    } else if (arg == Widen<Char>("--")) {
      optionsEnded = true;
    } else if (arg == Widen<Char>("-session") && i + 1 < args.size()) {
      session = args[++i];
    } else if (arg == Widen<Char>("--help") || arg == Widen<Char>("-h") || arg == Widen<Char>("--version")) {
      if (args.size() > 1) {
        return Wrong(Problem<Char>("{option} takes no other argument, not {argument}",
                                   {{"option", ToUtf8(arg)}, {"argument", ToUtf8(Quoted(args[i == 0 ? 1 : 0]))}}));
      }
      WindowCommand<Char> command;
      command.kind = arg == Widen<Char>("--version") ? Kind::kVersion : Kind::kHelp;
      return command;
    } else {
      return Wrong(Problem<Char>("unknown option {option}", {{"option", ToUtf8(arg)}}));
    }
  }
  if (folders.size() > 1) {
    return Wrong(Problem<Char>("give one folder at most, not also {argument}", {{"argument", ToUtf8(Quoted(*folders[1]))}}));
  }
  WindowCommand<Char> command;
  if (!folders.empty()) command.folder = *folders.front();
  command.session = std::move(session);
  return command;
}

template WindowCommand<char> ReadWindowArguments(std::span<const std::string> args);
template WindowCommand<wchar_t> ReadWindowArguments(std::span<const std::wstring> args);

std::string WindowUsage(std::string_view program) {
  // TRANSLATORS: the windows' usage, FOLDER named as in their help; the
  // second line's program name stands under the first's.
  return Translated("usage: {program} [--] [FOLDER]\n       {program} --version | --help\n",
                    {{"program", program}});
}

std::string WindowHelp(std::string_view program) {
  return WindowUsage(program) + "\n" +
         Translated("Lists the mission DLLs of a folder with their map name, techtree name and\n"
                    "level description, read from the DLLs' exports without loading them.\n") +
         "\n" +
         // TRANSLATORS: the windows' options; the descriptions start in one column, the lines at most 79 wide.
         Translated("  FOLDER      The folder to open and scan at once. A path that is not a\n"
                    "              folder (a file, say) stands for the folder that holds it.\n"
                    "              Without FOLDER (or with an empty one) the window opens on\n"
                    "              its own folder, ready.\n"
                    "  --version   Prints the program's name and version.\n"
                    "  --help, -h  Shows this help.\n"
                    "  --          Ends the options: a FOLDER after it may begin with -.\n") +
         "\n" +
         Translated("One folder at most. An unknown option or a second folder is refused,\n"
                    "with exit status 2.\n");
}

}  // namespace vostrel
