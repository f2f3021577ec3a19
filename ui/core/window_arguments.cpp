#include "ui/core/window_arguments.h"

#include <utility>
#include <vector>

namespace vostrel {
namespace {

template <typename Char>
std::basic_string<Char> Widen(std::string_view ascii) {
  return std::basic_string<Char>(ascii.begin(), ascii.end());
}

template <typename Char>
WindowCommand<Char> Wrong(std::basic_string<Char> problem) {
  WindowCommand<Char> command;
  command.kind = WindowCommand<Char>::Kind::kWrong;
  command.problem = std::move(problem);
  return command;
}

template <typename Char>
std::basic_string<Char> Quoted(const std::basic_string<Char>& text) {
  return Widen<Char>("\"") + text + Widen<Char>("\"");
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
      if (args.size() > 1) return Wrong(arg + Widen<Char>(" takes no other argument, not ") + Quoted(args[i == 0 ? 1 : 0]));
      WindowCommand<Char> command;
      command.kind = arg == Widen<Char>("--version") ? Kind::kVersion : Kind::kHelp;
      return command;
    } else {
      return Wrong(Widen<Char>("unknown option ") + arg);
    }
  }
  if (folders.size() > 1) return Wrong(Widen<Char>("give one folder at most, not also ") + Quoted(*folders[1]));
  WindowCommand<Char> command;
  if (!folders.empty()) command.folder = *folders.front();
  command.session = std::move(session);
  return command;
}

template WindowCommand<char> ReadWindowArguments(std::span<const std::string> args);
template WindowCommand<wchar_t> ReadWindowArguments(std::span<const std::wstring> args);

std::string WindowUsage(std::string_view program) {
  return "usage: " + std::string(program) + " [--] [FOLDER]\n       " + std::string(program) + " --version | --help\n";
}

std::string WindowHelp(std::string_view program) {
  return WindowUsage(program) +
         "\n"
         "Lists the mission DLLs of a folder with their map name, techtree name and\n"
         "level description, read from the DLLs' exports without loading them.\n"
         "\n"
         "  FOLDER      The folder to open and scan at once. A path that is not a\n"
         "              folder (a file, say) stands for the folder that holds it.\n"
         "              Without FOLDER (or with an empty one) the window opens on\n"
         "              its own folder, ready.\n"
         "  --version   Prints the program's name and version.\n"
         "  --help, -h  Shows this help.\n"
         "  --          Ends the options: a FOLDER after it may begin with -.\n"
         "\n"
         "One folder at most. An unknown option or a second folder is refused,\n"
         "with exit status 2.\n";
}

}  // namespace vostrel
