// vostrel-scan's work, the same on every platform; each platform's entry
// (console_main_*.cpp) hands it the arguments and the output streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vostrel {

struct ConsoleOutput {
  std::ostream& out;     // the rows: UTF-8
  std::ostream& err;     // status lines and problems: UTF-8
  bool errIsTerminal;    // one that takes "\r" and ESC [K: the progress line rewrites itself
};

// Runs the command with its arguments (after the program's name) in the
// platform's file-name encoding; gives the exit status (see its --help).
int RunVostrelScan(const std::vector<std::string>& args, const ConsoleOutput& output);

}  // namespace vostrel
