// vostrel-scan.exe's entry (wmain, linked with -municode): the command line
// comes as UTF-16, so that folder and file names in any script arrive whole.
// They are handed on in the process's ANSI code page, which the program's
// manifest makes UTF-8 on Windows 10 (1903) and later: the file calls and
// GetOffset, in the same process, then take any name. Older Windows ignore
// the manifest's entry; there a name outside the ANSI code page cannot be
// opened by 8-bit calls at all.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "scanner/code_page_win32.h"
#include "scanner/text_encoding.h"
#include "ui/console/console_stream_win32.h"
#include "ui/console/deferred_interrupts.h"
#include "ui/console/vostrel_scan.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  try {
    for (int i = 1; i < argc; ++i) args.push_back(vostrel::Utf8ToNative(vostrel::win32::FromWide(CP_UTF8, argv[i])));
  } catch (const std::exception& error) {
    std::cerr << "vostrel-scan: " << error.what() << '\n';
    return 2;
  }
  vostrel::DeferredInterrupts interrupts;
  vostrel::ConsoleStream out(std::cout, STD_OUTPUT_HANDLE);
  vostrel::ConsoleStream err(std::cerr, STD_ERROR_HANDLE);
  // The progress line needs a console that takes ESC [K; elsewhere on a
  // console every status stands on a line of its own.
  const bool rewritesLine = err.EnableTerminalSequences();
  // A file or a pipe opens in text mode, which would write each LF of JSON
  // and CSV (and CSV's texts) as CR LF.
  const auto writeBytesAsTheyAre = [] {
    std::cout.flush();
    _setmode(_fileno(stdout), _O_BINARY);
  };
  const int status = vostrel::RunVostrelScan(args, {std::cout, std::cerr, err.IsConsole(), rewritesLine,
                                                     [&interrupts](std::function<void()> stop) {
                                                       interrupts.OnInterrupt(std::move(stop));
                                                     },
                                                     writeBytesAsTheyAre});
  return interrupts.ExitStatus(status);
}
