// vostrel-scan: the scanner from the command line.
//   vostrel-scan [--code-page N|auto] [--format F] [--jobs N] FOLDER       scan a folder as the window does
//   vostrel-scan [--code-page N|auto] [--format F] --offset FILE EXPORT    print one export's offset and text
//   vostrel-scan --version | --help
#include "ui/console/vostrel_scan.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation.h"
#include "scanner/background_scan.h"
#include "scanner/code_page_detection.h"
#include "scanner/lookup_binding.h"
#include "scanner/mission_reader.h"
#include "scanner/read_ahead.h"
#include "scanner/text_decoding.h"
#include "scanner/text_encoding.h"
#include "scanner/text_reader.h"
#include "ui/console/console_view.h"
#include "ui/console/record_writer.h"
#include "ui/core/table_text.h"
#include "vostrel/version.h"

namespace vostrel {
namespace {

// TRANSLATORS: vostrel-scan's usage, FOLDER, FILE and EXPORT named as in its
// help; the lines after the first stand under its program name.
std::string Usage() {
  return Translated(
      "usage: vostrel-scan [--code-page N|auto] [--format FORMAT] [--jobs N] FOLDER\n"
      "       vostrel-scan [--code-page N|auto] [--format FORMAT] --offset FILE EXPORT\n"
      "       vostrel-scan --version | --help\n");
}

// The help after the usage, a paragraph a text, so that a change of one
// leaves the others' translations standing.
std::string Help() {
  return Translated("Lists the mission DLLs of a folder with their map name, techtree name and\n"
                    "level description, read from the DLLs' exports without loading them.\n") +
         "\n" +
         // TRANSLATORS: vostrel-scan's help, a paragraph a text: descriptions indented
         // as here, lines at most 79 wide; "No DLL's found!" and "Scan finished." as
         // translated elsewhere.
         Translated("  vostrel-scan FOLDER\n"
                    "      Scans FOLDER's *.dll files. Prints one line per table row: file name,\n"
                    "      map name, techtree name and level description, tab-separated. A folder\n"
                    "      without DLLs prints the one row \"No DLL's found!\". Problems and the\n"
                    "      last status (\"Scan finished.\") go to standard error; on a terminal\n"
                    "      also the file in hand, on one line. FOLDER is scanned as given: a\n"
                    "      path that is no folder (a file, a FIFO) cannot be listed. An empty\n"
                    "      FOLDER, a second one or an unknown option is refused, named.\n") +
         "\n" +
         Translated("  vostrel-scan --offset FILE EXPORT\n"
                    "      Prints the file offset of export EXPORT's data in FILE, a tab, and the\n"
                    "      zero-terminated text found there; 0 and no text when there is none.\n") +
         "\n" +
         Translated("  --code-page N, --code-page=N\n"
                    "      Reads the texts in Windows code page N: 874, 932, 936, 949, 950 or\n"
                    "      1250 to 1258. Without it: on Windows the system's ANSI code page; on\n"
                    "      Linux the one Windows gives the locale named by LC_ALL, else LC_CTYPE,\n"
                    "      else LANG (pl_PL.UTF-8: 1250, ru_RU.UTF-8: 1251, ja_JP.UTF-8: 932;\n"
                    "      C, C.UTF-8 or none: 1252).\n") +
         Translated("  --code-page auto, --code-page=auto\n"
                    "      Reads each mission's texts in the code page of those above that their\n"
                    "      bytes most likely are, told from the three texts together (--offset:\n"
                    "      from the file's three, or from EXPORT's text when it is none of them);\n"
                    "      texts that tell none are read in the default code page.\n") +
         Translated("  --format FORMAT, --format=FORMAT\n"
                    "      tsv: the lines described below (the default). json: one JSON array, an\n"
                    "      object per row with the members \"file\", \"mapName\", \"techtreeName\"\n"
                    "      and \"levelDesc\" (--offset: \"file\", \"export\", \"offset\", \"text\");\n"
                    "      a file name that is not UTF-8 has U+FFFD in \"file\" and its bytes, in\n"
                    "      hex, in \"fileBytes\". csv: RFC 4180 with CR LF line ends, a UTF-8 byte\n"
                    "      order mark, a header row, then a row per mission; for spreadsheets, a\n"
                    "      field that begins with =, +, -, @, a tab or a carriage return (after\n"
                    "      any apostrophes) has an apostrophe put before it, so that no formula\n"
                    "      runs (a script takes that one off). tsv and json, for scripts, hold\n"
                    "      the texts as they are. \"No DLL's found!\" is no mission: json gives\n"
                    "      [], csv the header alone. Either is whole when the scan is stopped\n"
                    "      (Ctrl+C) or goes wrong.\n") +
         Translated("  --jobs N, --jobs=N, -j N, -jN\n"
                    "      Reads N files at a time (1 to 64), on N threads, ahead of the row\n"
                    "      printed; the rows are the same, in the same order, whatever N. 1 reads\n"
                    "      one file after the other. Without it: 16, or one per processor where\n"
                    "      there are more.\n") +
         Translated("  --version   Prints the program's name and version.\n"
                    "  --help, -h  Shows this help.\n"
                    "  --          Ends the options, before a FOLDER or FILE that begins with -.\n") +
         "\n" +
         Translated("TSV output is UTF-8, one line per row, whatever the texts hold: a tab, line\n"
                    "feed, carriage return and backslash in a text are written \\t, \\n, \\r and\n"
                    "\\\\; other control characters \\xHH (C0 and DEL, e.g. \\x1b) or \\uHHHH (C1,\n"
                    "e.g. \\u0085); each byte that is not UTF-8 (a file name may hold any)\n"
                    "\\xHH; hex digits in lower case.\n") +
         "\n" +
         Translated("Exit status:\n"
                    "  0  the scan read every DLL listed; --offset found the export\n"
                    "  1  the folder cannot be listed, or a DLL cannot be read (the reasons go\n"
                    "     to standard error); --offset found no such export or cannot read its\n"
                    "     text; the output cannot be written (the scan stops at the first row\n"
                    "     that fails)\n"
                    "  2  wrong arguments\n"
                    "  3  the lookup library (Peloc) cannot be loaded: missing, damaged or\n"
                    "     incomplete, of the other word size, for another machine or without\n"
                    "     GetOffset; a scan goes on, without texts, trying again for each file\n");
}

constexpr char kProgram[] = "vostrel-scan: ";

struct Arguments {
  enum class Mode { kScan, kOffset, kHelp, kVersion };
  Mode mode = Mode::kScan;
  std::vector<std::string> operands;  // FOLDER, or FILE and EXPORT
  std::optional<CodePage> codePage;
  OutputFormat format = OutputFormat::kTsv;
  std::optional<std::size_t> jobs;
};

// Wrong arguments; the text says what is wrong, or is empty when the usage
// says enough.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Built by appending: GCC 12 at -O3 warns of an overlap that cannot happen
// in the string's insert at its front.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).append("\"");
  return quoted;
}

CodePage ParseCodePage(std::string_view text) {
  if (text == "auto") return kAutomaticCodePage;
  CodePage number = 0;
  const char* end = text.data() + text.size();
  const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || std::from_chars(text.data(), end, number).ptr != end || !FindCodePage(number)) {
    throw UsageError(Translated("--code-page takes 874, 932, 936, 949, 950, 1250 to 1258 or auto, not {value}",
                                {{"value", Quoted(text)}}));
  }
  return number;
}

OutputFormat ParseFormat(std::string_view text) {
  const std::optional<OutputFormat> format = FindOutputFormat(text);
  if (!format) throw UsageError(Translated("--format takes tsv, json or csv, not {value}", {{"value", Quoted(text)}}));
  return *format;
}

std::size_t ParseJobs(std::string_view text) {
  std::size_t number = 0;
  const char* end = text.data() + text.size();
  const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || std::from_chars(text.data(), end, number).ptr != end || number < 1 ||
      number > kMostScanWorkers) {
    throw UsageError(Translated("--jobs takes a number from 1 to {most}, not {value}",
                                {{"most", std::to_string(kMostScanWorkers)}, {"value", Quoted(text)}}));
  }
  return number;
}

// Options may stand before, between or after the operands, until "--"; a
// wrong argument is named in the error.
Arguments Parse(const std::vector<std::string>& args) {
  Arguments parsed;
  constexpr std::string_view kCodePageOption = "--code-page";
  constexpr std::string_view kFormatOption = "--format";
  constexpr std::string_view kJobsOption = "--jobs";
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(args[i]);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h" || arg == "--version") {
      if (args.size() > 1) {
        throw UsageError(Translated("{option} takes no other argument, not {argument}",
                                    {{"option", arg}, {"argument", Quoted(args[i == 0 ? 1 : 0])}}));
      }
      parsed.mode = arg == "--version" ? Arguments::Mode::kVersion : Arguments::Mode::kHelp;
      return parsed;
    } else if (arg == "--offset" && parsed.mode == Arguments::Mode::kScan) {
      parsed.mode = Arguments::Mode::kOffset;
    } else if (arg == kCodePageOption) {
      if (i + 1 == args.size()) throw UsageError(Translated("--code-page needs a code page number or auto"));
      parsed.codePage = ParseCodePage(args[++i]);
    } else if (arg.starts_with(kCodePageOption) && arg[kCodePageOption.size()] == '=') {
      parsed.codePage = ParseCodePage(arg.substr(kCodePageOption.size() + 1));
    } else if (arg == kFormatOption) {
      if (i + 1 == args.size()) throw UsageError(Translated("--format needs tsv, json or csv"));
      parsed.format = ParseFormat(args[++i]);
    } else if (arg.starts_with(kFormatOption) && arg[kFormatOption.size()] == '=') {
      parsed.format = ParseFormat(arg.substr(kFormatOption.size() + 1));
    } else if (arg == kJobsOption || arg == "-j") {
      if (i + 1 == args.size()) throw UsageError(Translated("--jobs needs a number"));
      parsed.jobs = ParseJobs(args[++i]);
    } else if (arg.starts_with(kJobsOption) && arg[kJobsOption.size()] == '=') {
      parsed.jobs = ParseJobs(arg.substr(kJobsOption.size() + 1));
    } else if (arg.starts_with("-j") && arg[2] >= '0' && arg[2] <= '9') {
      // A short option takes its value joined too, as getopt reads it: -j4.
      parsed.jobs = ParseJobs(arg.substr(2));
    } else if (arg == "--offset") {
      throw UsageError(Translated("--offset is given twice"));
    } else {
      throw UsageError(Translated("unknown option {option}", {{"option", arg}}));
    }
  }
  const std::vector<std::string>& operands = parsed.operands;
  if (parsed.mode == Arguments::Mode::kOffset) {
    if (operands.size() < 2) throw UsageError("");
    if (operands.size() > 2) {
      throw UsageError(Translated("--offset takes FILE and EXPORT, not also {argument}", {{"argument", Quoted(operands[2])}}));
    }
    return parsed;
  }
  if (operands.empty()) throw UsageError("");
  if (operands.size() > 1) {
    throw UsageError(Translated("give one folder at most, not also {argument}", {{"argument", Quoted(operands[1])}}));
  }
  // Joined to a file name, an empty folder name would name the root.
  if (operands[0].empty()) throw UsageError(Translated("empty folder name"));
  return parsed;
}

void Say(std::ostream& err, std::string_view text) { err << kProgram << EscapeMessage(text) << '\n'; }

// The code page --offset reads the text at `offset` in: the one chosen; or,
// automatic, the one a scan reads the file's texts in, for one of them, and
// for another export the one its own text tells.
CodePage OffsetCodePage(LookupBinding& binding, const std::string& path, const std::string& exportName,
                        uint32_t offset, const TextDecoding& decoding) {
  if (!decoding.automatic() || offset == 0) return decoding.CodePageOf({}).codePage;
  if (std::find(kMissionExports.begin(), kMissionExports.end(), exportName) != kMissionExports.end()) {
    const MissionRead read = ReadMission(binding, path, decoding, kDetectionBytes);
    if (read.codePage.codePage != 0) return read.codePage.codePage;
  }
  const std::string sample = TextFile(path).Bytes(offset, kDetectionBytes);
  const std::array<std::string_view, 1> samples{sample};
  return decoding.CodePageOf(samples).codePage;
}

// The offset and the text, in TSV as a row's fields are written; JSON and
// CSV also hold the file and the export asked for.
int PrintOffset(const std::string& path, const std::string& exportName, const TextDecoding& decoding,
                OutputFormat format, const ConsoleOutput& output) {
  LookupBinding binding;
  const auto writer = MakeRecordWriter(format, output.out, kOffsetColumns);
  uint32_t offset = 0;
  try {
    offset = binding.GetOffset(path, exportName);
  } catch (const LookupUnavailable& error) {
    Say(output.err, error.what());
    return 3;
  }
  const std::string file = NativeToUtf8(path);
  std::string text;
  try {
    text = ReadToFirstNull(path, offset, decoding.Decoder(OffsetCodePage(binding, path, exportName, offset, decoding)));
  } catch (const TextReadError& error) {
    // As a scan says a file it cannot read.
    Say(output.err, Translated("Cannot read {file}: {reason}", {{"file", file}, {"reason", error.what()}}));
    return 1;
  }
  const std::string exportText = NativeToUtf8(exportName);
  const std::string offsetText = std::to_string(offset);
  const std::array<std::string_view, 4> fields{file, exportText, offsetText, text};
  writer->Record(fields);
  return offset != 0 ? 0 : 1;
}

Progress ProgressOn(const ConsoleOutput& output) {
  if (!output.errIsTerminal) return Progress::kNone;
  return output.errRewritesLine ? Progress::kRewrittenLine : Progress::kLinePerFile;
}

// What the scan finds ahead of the writer, at most: about 32 files' rows and statuses.
constexpr std::size_t kMostFoundWaiting = 64;

// Has an interrupt stop the scan while it lives.
class StopOnInterrupt {
 public:
  StopOnInterrupt(const ConsoleOutput& output, BackgroundScan& scan) : output_(output) {
    if (output_.onInterrupt) output_.onInterrupt([&scan] { scan.Stop(); });
  }
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
  ~StopOnInterrupt() {
    if (output_.onInterrupt) output_.onInterrupt(nullptr);
  }

 private:
  const ConsoleOutput& output_;
};

// The scan runs on a thread of its own, and this one writes what it finds:
// an interrupt or a failed write stops the scan and ends the output whole at
// once, even while the scan's thread waits for a read that hangs.
// `writeFailureSaid`: the scan stopped at a write that failed, and said so.
int ScanFolder(const std::string& folder, CodePage codePage, OutputFormat format, std::size_t jobs,
               const ConsoleOutput& output, bool& writeFailureSaid) {
  // Made first, so that it goes last and closes what it began however the scan ends.
  const auto writer = MakeRecordWriter(format, output.out, kScanColumns);
  // The view holds the folder as the window would show it: UTF-8.
  ConsoleView view(NativeToUtf8(folder), *writer, output.err, ProgressOn(output));
  // A few files' worth waits for the writer: output that stalls or fails stops the reads soon.
  BackgroundScan scan(std::make_shared<LookupBinding>(),
                      {view.FolderText(), codePage, kWholeText, jobs, kMostFoundWaiting});
  const StopOnInterrupt interrupts(output, scan);
  view.StopOnFailedWrite(output.out, [&scan] { scan.Stop(); });
  while (!scan.TakeFound(view)) scan.WaitForFound();
  writeFailureSaid = view.WriteFailed();
  return view.ExitStatus();
}

int Run(const Arguments& arguments, const ConsoleOutput& output, bool& writeFailureSaid) {
  switch (arguments.mode) {
    case Arguments::Mode::kHelp:
      output.out << Usage() << '\n' << Help();
      return 0;
    case Arguments::Mode::kVersion:
      output.out << "vostrel-scan " VOSTREL_VERSION "\n";
      return 0;
    case Arguments::Mode::kOffset:
    case Arguments::Mode::kScan:
      break;
  }
  const CodePage codePage = arguments.codePage.value_or(DefaultCodePage());
  const std::vector<std::string>& operands = arguments.operands;
  if (arguments.format != OutputFormat::kTsv && output.writeBytesAsTheyAre) output.writeBytesAsTheyAre();
  try {
    // The decoding is made once, here or by the scan driver.
    return arguments.mode == Arguments::Mode::kOffset
               ? PrintOffset(operands[0], operands[1], TextDecoding(codePage), arguments.format, output)
               : ScanFolder(operands[0], codePage, arguments.format, arguments.jobs.value_or(DefaultScanWorkers()),
                            output, writeFailureSaid);
  } catch (const std::invalid_argument& error) {  // a code page this system cannot decode
    Say(output.err, error.what());
    return 2;
  }
}

}  // namespace

int RunVostrelScan(const std::vector<std::string>& args, const ConsoleOutput& output) {
  Arguments arguments;
  try {
    arguments = Parse(args);
  } catch (const UsageError& error) {
    if (*error.what() != '\0') Say(output.err, error.what());
    output.err << Usage();
    return 2;
  }
  int status = 1;
  bool writeFailureSaid = false;
  try {
    status = Run(arguments, output, writeFailureSaid);
  } catch (const std::exception& error) {
    Say(output.err, error.what());
  }
  // A full disk or a closed pipe must not pass for a whole listing.
  const bool goodSoFar = output.out.good();
  errno = 0;
  if (!output.out.flush() && !writeFailureSaid) {
    // The reason is known when this flush is the write that failed.
    Say(output.err, CannotWriteMessage(goodSoFar ? errno : 0));
    status = 1;
  }
  return status;
}

}  // namespace vostrel
