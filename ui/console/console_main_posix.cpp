// vostrel-scan's entry on POSIX systems: the arguments are file names as the
// system holds them (any bytes), which the scan takes as they are.
#include <unistd.h>

#include <clocale>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "ui/console/deferred_interrupts.h"
#include "ui/console/vostrel_scan.h"

int main(int argc, char** argv) {
  // The user's language for the program's texts and the system's reasons,
  // in the locale's character set (UTF-8 under a UTF-8 locale). Nothing else
  // of the locale is taken: numbers and texts stay as the program writes them.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  // Goes after the output is written whole; an interrupt that waited then ends the program.
  vostrel::DeferredInterrupts interrupts;
  const int status = vostrel::RunVostrelScan(
      args, {std::cout, std::cerr, terminal, terminal,
             [&interrupts](std::function<void()> stop) { interrupts.OnInterrupt(std::move(stop)); }, {}});
  return interrupts.ExitStatus(status);
}
