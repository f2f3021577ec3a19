// What a window's command line asks for, read alike by both windows:
//   vostrel [--] [FOLDER]   |   vostrel --help   |   vostrel --version
// An empty argument counts as none; after "--" every argument is a folder;
// any other argument that begins with "-" is an unknown option.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vostrel {

template <typename Char>
struct WindowCommand {
  enum class Kind { kOpen, kHelp, kVersion, kWrong };
  Kind kind = Kind::kOpen;
  // kOpen: the folder named as given, or empty for the program's own.
  std::basic_string<Char> folder;
  // kWrong: what is wrong, naming the argument ("unknown option -x").
  std::basic_string<Char> problem;
  // "-session ID": the desktop's session manager restarting the window, for
  // the toolkit to take up; empty when not given.
  std::basic_string<Char> session;
};

// `args` are the arguments after the program's name: bytes on Linux, UTF-16
// on Windows.
template <typename Char>
WindowCommand<Char> ReadWindowArguments(std::span<const std::basic_string<Char>> args);

// The usage line, and what --help prints after it.
std::string WindowUsage(std::string_view program);
std::string WindowHelp(std::string_view program);

}  // namespace vostrel
