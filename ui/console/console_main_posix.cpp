// vostrel-scan's entry on POSIX systems: the arguments are file names as the
// system holds them (any bytes), which the scan takes as they are.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "vostrel_scan.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  return vostrel::RunVostrelScan(args, {std::cout, std::cerr, terminal, terminal, {}});
}
