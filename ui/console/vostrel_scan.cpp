// vostrel-scan: the scanner from the command line.
//   vostrel-scan FOLDER               scan a folder as the window does
//   vostrel-scan --offset FILE EXPORT print one export's offset and text
//   vostrel-scan --version            print the program's version
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "console_view.h"
#include "lookup_binding.h"
#include "scan_driver.h"
#include "table_text.h"
#include "text_encoding.h"
#include "text_reader.h"
#include "vostrel_version.h"

namespace {

constexpr char kUsage[] =
    "usage: vostrel-scan FOLDER\n"
    "       vostrel-scan --offset FILE EXPORT\n";

constexpr char kHelp[] =
    "Lists the mission DLLs of a folder with their map name, techtree name and\n"
    "level description, read from the DLLs' exports without loading them.\n"
    "\n"
    "  vostrel-scan FOLDER\n"
    "      Scans FOLDER's *.dll files. Prints one line per table row: file name,\n"
    "      map name, techtree name and level description, tab-separated, in UTF-8\n"
    "      (a tab, line break or backslash inside a text is written \\t, \\n, \\r\n"
    "      or \\\\). A folder without DLLs prints the one row \"No DLL's found!\".\n"
    "      Status messages go to standard error. Exits 0 when the scan ran.\n"
    "\n"
    "  vostrel-scan --offset FILE EXPORT\n"
    "      Prints the file offset of export EXPORT's data in FILE, a tab, and the\n"
    "      zero-terminated text found there. Exits 0 when found, 1 when not.\n"
    "\n"
    "  vostrel-scan --version\n"
    "      Prints the program's name and version.\n"
    "\n"
    "  vostrel-scan --help\n"
    "      Shows this help.\n"
    "\n"
    "Exit status 2: wrong arguments, or the lookup library cannot be loaded.\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

// The arguments come in the platform's own encoding (the ANSI code page on
// Windows), as the library takes them.
int PrintOffset(const std::string& path, const std::string& exportName) {
  vostrel::LookupBinding binding;
  try {
    const int32_t offset = binding.GetOffset(path, exportName);
    const std::string text = vostrel::ReadToFirstNull(path, offset, vostrel::TextDecoder(vostrel::DefaultCodePage()));
    std::cout << static_cast<uint32_t>(offset) << '\t' << vostrel::EscapeField(text) << '\n';
    return offset != 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "vostrel-scan: " << error.what() << '\n';
    return 2;
  }
}

int ScanFolder(const std::string& folder) {
  vostrel::LookupBinding binding;
  // The view holds the folder as the window would show it: UTF-8.
  vostrel::ConsoleView view(vostrel::NativeToUtf8(folder), std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
  vostrel::ScanDriver driver(view, binding);
  driver.cmdScan_Click();
  return view.ExitStatus();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc - 1;
  const std::string_view first = count >= 1 ? argv[1] : "";
  if (count == 1 && (first == "--help" || first == "-h")) {
    std::cout << kUsage << '\n' << kHelp;
    return 0;
  }
  if (count == 1 && first == "--version") {
    std::cout << "vostrel-scan " VOSTREL_VERSION "\n";
    return 0;
  }
  if (first == "--offset") {
    if (count != 3) return Usage();
    return PrintOffset(argv[2], argv[3]);
  }
  if (count != 1 || first.starts_with("-")) return Usage();
  return ScanFolder(argv[1]);
}
