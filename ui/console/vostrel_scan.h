// vostrel-scan's work, the same on every platform; each platform's entry
// (console_main_*.cpp) hands it the arguments and the output streams.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace vostrel {

struct ConsoleOutput {
  std::ostream& out;     // the rows: UTF-8
  std::ostream& err;     // status lines and problems: UTF-8
  bool errIsTerminal;    // someone watches it: it shows the file in hand
  bool errRewritesLine;  // it takes "\r" and ESC [K: the progress line rewrites itself
  // From now on `stop` runs, on a thread of its own, when an interrupt
  // (Ctrl+C) comes, or at once when one came already; until the next call
  // (an empty `stop`: nothing runs any more), which waits for a `stop`
  // running. A scan stops on it at once, even in a read that hangs.
  std::function<void(std::function<void()> stop)> onInterrupt;
  // Has `out` write its bytes as they are, for JSON and CSV, whose line ends
  // are their own (Windows' text mode makes every LF CR LF); none where that
  // is so already.
  std::function<void()> writeBytesAsTheyAre;
};

// Runs the command with its arguments (after the program's name) in the
// platform's file-name encoding; gives the exit status (see its --help).
int RunVostrelScan(const std::vector<std::string>& args, const ConsoleOutput& output);

}  // namespace vostrel
