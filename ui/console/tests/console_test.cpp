// The console front end: its output as a terminal shows it, and the built
// vostrel-scan run as a child process (output, exit status).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/lookup_binding.h"
#include "scanner/scan_driver.h"
#include "scanner/tests/hanging_folder.h"
#include "scanner/tests/test_support.h"
#include "ui/console/console_view.h"
#include "ui/console/csv_writer.h"
#include "ui/console/record_writer.h"
#include "ui/console/tsv_writer.h"
#include "ui/core/tests/mission_writer.h"
#include "vostrel/version.h"

extern char** environ;

namespace vostrel {
namespace {

using testing::PlaceDll;
using testing::TempFolder;
namespace texts = testing::texts;

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  long peakKilobytes = 0;  // the child's peak resident set
};

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  void Open(int fd, const std::string& path, int flags) {
    posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0600);
  }
  void Dup(int from, int to) { posix_spawn_file_actions_adddup2(&actions_, from, to); }
  void Close(int fd) { posix_spawn_file_actions_addclose(&actions_, fd); }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// This process's environment with the locale named by LANG alone: the
// program takes its code page and its language from it (and from
// LANGUAGE, when given).
std::vector<std::string> WithLocale(const std::string& lang, const std::string& language = "") {
  std::vector<std::string> variables{"LANG=" + lang};
  if (!language.empty()) variables.push_back("LANGUAGE=" + language);
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view entry(*variable);
    if (!entry.starts_with("LANG=") && !entry.starts_with("LC_") && !entry.starts_with("LANGUAGE=")) {
      variables.emplace_back(entry);
    }
  }
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Runs the program with its standard output and error sent to files (or the
// output to `outPath`), and waits for it.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      std::vector<std::string> environment = WithLocale("C.UTF-8"), const std::string& outPath = "") {
  const TempFolder scratch;
  const std::string out = outPath.empty() ? scratch / "out" : outPath;
  const std::string errPath = scratch / "err";
  SpawnActions actions;
  actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
  actions.Open(STDOUT_FILENO, out, O_WRONLY | O_CREAT | O_TRUNC);
  actions.Open(STDERR_FILENO, errPath, O_WRONLY | O_CREAT | O_TRUNC);
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), actions.get(), nullptr, Pointers(argStrings).data(),
                  Pointers(environment).data()) != 0) {
    throw std::runtime_error("cannot start " + program);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + program);
  }
  ProgramRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (outPath.empty()) run.out = testing::ReadFile(out);
  run.err = testing::ReadFile(errPath);
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

// vostrel-scan started with its standard output into a pipe that the test
// reads as it goes, and its standard error into a file.
class PipedScan {
 public:
  explicit PipedScan(std::vector<std::string> args) {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("cannot make a pipe");
    SpawnActions actions;
    actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.Dup(ends[1], STDOUT_FILENO);
    actions.Close(ends[0]);
    actions.Open(STDERR_FILENO, scratch_ / "err", O_WRONLY | O_CREAT | O_TRUNC);
    args.insert(args.begin(), VOSTREL_SCAN_PROGRAM);
    std::vector<std::string> environment = WithLocale("C.UTF-8");
    const int started = posix_spawn(&pid_, VOSTREL_SCAN_PROGRAM, actions.get(), nullptr, Pointers(args).data(),
                                    Pointers(environment).data());
    ::close(ends[1]);
    out_ = ends[0];
    if (started != 0) {
      pid_ = 0;
      throw std::runtime_error("cannot start vostrel-scan");
    }
  }
  PipedScan(const PipedScan&) = delete;
  PipedScan& operator=(const PipedScan&) = delete;
  ~PipedScan() {
    if (pid_ != 0) ::kill(pid_, SIGKILL);
    Wait();
  }

  pid_t pid() const { return pid_; }
  // Up to `size` bytes of the output; 0 at its end, -1 on an error.
  ssize_t Read(char* buffer, std::size_t size) {
    ssize_t got = 0;
    do {
      got = ::read(out_, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
  }
  // Closes the pipe, then waits for the program: its wait status.
  int Wait() {
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    int status = 0;
    while (pid_ != 0 && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = 0;
    return status;
  }
  std::string Err() const { return testing::ReadFile(scratch_ / "err"); }

 private:
  const TempFolder scratch_;
  pid_t pid_ = 0;
  int out_ = -1;  // the pipe's reading end
};

// What --format csv writes before the first row: the byte order mark and the header.
constexpr char kCsvHeader[] = "\xEF\xBB\xBF" "DLL Name,Map Name,Techtree Name,Level Description\r\n";

ProgramRun Scan(const std::vector<std::string>& args, const std::string& lang = "C.UTF-8") {
  return RunProgram(VOSTREL_SCAN_PROGRAM, args, WithLocale(lang));
}

// The lines a terminal shows for what was written to it: "\r" goes back to the
// start of the line, "\x1b[K" erases to its end, "\n" starts the next line.
std::vector<std::string> Screen(const std::string& output) {
  std::vector<std::string> lines(1);
  std::size_t column = 0;
  for (std::size_t i = 0; i < output.size(); ++i) {
    std::string& line = lines.back();
    if (output[i] == '\r') {
      column = 0;
    } else if (output[i] == '\n') {
      lines.emplace_back();
      column = 0;
    } else if (output.compare(i, 3, "\x1b[K") == 0) {
      line.resize(column);
      i += 2;
    } else {
      if (column < line.size()) {
        line[column] = output[i];
      } else {
        line += output[i];
      }
      ++column;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

TEST(ConsoleView, RowsAndProgressShareOneTerminal) {
  const TempFolder folder;
  PlaceDll("mission_full.dll", folder / "mission_full.dll");
  PlaceDll("functions_only.dll", folder / "no_texts.dll");
  PlaceDll("mission_leveldesc_only.dll", folder / "only_desc.dll");
  PlaceDll("functions_only.dll", folder / "z_no_texts.dll");
  LookupBinding binding;
  std::ostringstream terminal;
  TsvWriter rows(terminal, kScanColumns);
  ConsoleView view(folder.str(), rows, terminal, Progress::kRewrittenLine);
  ScanDriver(view, binding, 1252).cmdScan_Click();
  EXPECT_EQ(Screen(terminal.str()),
            (std::vector<std::string>{"mission_full.dll\t" + std::string(texts::kFullMap) + "\t" + texts::kFullTech +
                                          "\t" + texts::kFullDesc,
                                      "only_desc.dll\t\t\t" + std::string(texts::kDescOnly), "Scan finished."}))
      << terminal.str();

  const TempFolder empty;
  std::ostringstream emptyTerminal;
  TsvWriter emptyRows(emptyTerminal, kScanColumns);
  ConsoleView emptyView(empty.str(), emptyRows, emptyTerminal, Progress::kRewrittenLine);
  ScanDriver(emptyView, binding, 1252).cmdScan_Click();
  EXPECT_EQ(Screen(emptyTerminal.str()), (std::vector<std::string>{"No DLL's found!", "No files to scan."}));
}

// A CSV cell that a spreadsheet would take for a formula is written after an
// apostrophe; one that begins with apostrophes before such a character gets
// one more, so that a script takes one off and has the text exactly.
TEST(CsvWriter, KeepsSpreadsheetsFromTakingACellForAFormula) {
  struct Case {
    std::string_view text;
    std::string_view cell;
  };
  const Case cases[] = {
      {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
      {"=cmd.dll", "'=cmd.dll"},
      {"+1", "'+1"},
      {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\t=1", "'\t=1"},
      {"\r=1", "\"'\r=1\""},
      {"'=1", "''=1"},
      {"''-1", "'''-1"},
      {"'quoted'", "'quoted'"},
      {"a=b-c", "a=b-c"},
      {"", ""},
  };
  constexpr std::array<OutputColumn, 1> kColumn{{{"text", "Text"}}};
  for (const Case& c : cases) {
    std::ostringstream out;
    CsvWriter csv(out, kColumn);
    const std::array<std::string_view, 1> fields{c.text};
    csv.Record(fields);
    EXPECT_EQ(out.str(), "\xEF\xBB\xBFText\r\n" + std::string(c.cell) + "\r\n") << ::testing::PrintToString(std::string(c.text));
  }
}

TEST(VostrelScan, OffsetPrintsWhereTheExportLiesAndItsText) {
  const std::string dll = testing::TestDll("mission_full.dll");
  const ProgramRun found = Scan({"--offset", dll, "TechtreeName"});
  EXPECT_EQ(found.exitCode, 0);
  const auto tab = found.out.find('\t');
  ASSERT_NE(tab, std::string::npos) << found.out;
  EXPECT_EQ(found.out.substr(tab), "\t" + std::string(texts::kFullTech) + "\n");
  // The offset printed is where the file itself holds the text.
  const std::size_t offset = std::stoul(found.out.substr(0, tab));
  EXPECT_EQ(testing::ReadFile(dll).substr(offset, sizeof texts::kFullTech), std::string(texts::kFullTech) + '\0');

  const ProgramRun high = Scan({"--offset", testing::TestDll("mission_high_bytes.dll"), "MapName"});
  EXPECT_EQ(high.exitCode, 0);
  EXPECT_TRUE(high.out.ends_with("\t" + std::string(texts::kHighMap) + "\n")) << high.out;

  // Unsigned, past 2 GiB into a sparse file: held as signed, it was a "bad file position".
  const TempFolder folder;
  testing::WriteMissionWithTextsAt(folder / "far.dll", 0xFFFFFE00u, "Far", "Near 4 GiB.");
  const ProgramRun far = Scan({"--offset", folder / "far.dll", "MapName"});
  EXPECT_EQ(far.exitCode, 0) << far.err;
  EXPECT_EQ(far.out, "4294966784\tFar\n");

  for (const auto& args : std::vector<std::vector<std::string>>{{"--offset", dll, "techtreename"},
                                                                {"--offset", testing::TestDll("functions_only.dll"), "MapName"},
                                                                {"--offset", dll + ".missing", "MapName"}}) {
    const ProgramRun missing = Scan(args);
    EXPECT_EQ(missing.exitCode, 1) << args[2];
    EXPECT_EQ(missing.out, "0\t\n") << args[2];
  }
}

TEST(VostrelScan, RefusesWrongArgumentsAndHelps) {
  constexpr std::string_view kUsage = "usage: vostrel-scan [--code-page N|auto] [--format FORMAT] [--jobs N] FOLDER\n";
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"--offset"}, {"--offset", "a.dll"}, {"--offset", "a.dll", "MapName", "x"}, {"a", "b"}, {"-x"},
           {"--offset", "--offset", "a.dll", "MapName"}, {"--help", "a"}, {"a", "--code-page"},
           {"--code-page", "1252"}, {"--code-page", "437", "a"}, {"--code-page", "65001", "a"},
           {"--code-page", "-1252", "a"}, {"--code-page", "1252x", "a"}, {"--code-page=", "a"},
           {"--code-page= 1252", "a"}, {"--code-page", "99999999999999999999", "a"}, {"--code-pages=1252", "a"},
           {"--code-page", "Auto", "a"},
           {"a", "--format"}, {"--format", "xml", "a"}, {"--format=JSON", "a"}, {"--format=", "a"},
           {"a", "--jobs"}, {"--jobs", "0", "a"}, {"-j", "65", "a"}, {"--jobs=", "a"}, {"--jobs=-1", "a"},
           {"-j", "2x", "a"}, {"-j0", "a"}, {"-j2x", "a"}, {"-jx", "a"}}) {
    const ProgramRun run = Scan(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find(kUsage), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Scan({"--code-page", "437", "a"}).err.find("vostrel-scan: --code-page takes 874, 932,"), 0u);
  const ProgramRun help = Scan({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with(kUsage)) << help.out;
  for (const char* part : {"--offset FILE EXPORT", "--code-page N", "--code-page auto", "--format FORMAT", "\"fileBytes\"",
                           "--jobs N, --jobs=N, -j N, -jN", "\\x1b", "\\u0085", "  3  the lookup library"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(Scan({"--version"}).out, "vostrel-scan " VOSTREL_VERSION "\n");
}

// Each mission written in a code page, read under a locale of that code page,
// and under another locale with the code page asked for, or with its code page
// detected.
TEST(VostrelScan, ReadsTextsInTheLocalesCodePageOrTheOneAskedOrDetected) {
  struct Case {
    const char* lang;
    const char* dll;
    std::vector<std::string> codePageOption;  // under otherLang
    const char* otherLang;
    const char* map;
    const char* tech;
    const char* desc;
  };
  const Case cases[] = {
      {"pl_PL.UTF-8", "cp1250_mission.dll", {"--code-page", "1250"}, "C.UTF-8", "Łódź", "Żółta technologia",
       "Zażółć gęślą jaźń: zdobądź most przed świtem."},
      {"ru_RU.UTF-8", "cp1251_mission.dll", {"--code-page=1251"}, "pl_PL.UTF-8", "Москва", "Стандартное дерево",
       "Удержите мост до рассвета. Съешь же ещё этих мягких французских булок."},
      {"el_GR.UTF-8", "cp1253_mission.dll", {"--code-page", "1253"}, "ja_JP.UTF-8", "Αθήνα", "Τυπικό δέντρο",
       "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Άμυνα ως την αυγή."},
      {"tr_TR.UTF-8", "cp1254_mission.dll", {"--code-page=1254"}, "el_GR.UTF-8", "İstanbul", "Standart teknoloji ağacı",
       "Pijamalı hasta yağız şoföre çabucak güvendi."},
      {"ja_JP.UTF-8", "cp932_mission.dll", {"--code-page", "932"}, "zh_CN.UTF-8", "東京", "標準技術ツリー",
       "ソ連の表示: 夜明けまで橋を守れ。ｶﾀｶﾅ"},
      {"zh_CN.UTF-8", "cp936_mission.dll", {"--code-page=936"}, "ja_JP.UTF-8", "北京", "标准科技树", "黎明前守住大桥。"},
      {"C.UTF-8", "mission_high_bytes.dll", {"--code-page", "1252"}, "ru_RU.UTF-8", texts::kHighMap, texts::kHighTech,
       texts::kHighDesc},
  };
  for (const Case& c : cases) {
    const TempFolder folder;
    const std::string dll = PlaceDll(c.dll, folder / c.dll);
    const std::string row = std::string(c.dll) + "\t" + c.map + "\t" + c.tech + "\t" + c.desc + "\n";
    const ProgramRun byLocale = Scan({folder.str()}, c.lang);
    EXPECT_EQ(byLocale.exitCode, 0) << c.lang;
    EXPECT_EQ(byLocale.out, row) << c.lang;

    // The option stands before or after the folder; it reads --offset's text too.
    for (const std::vector<std::string>& option : {c.codePageOption, std::vector<std::string>{"--code-page=auto"}}) {
      std::vector<std::string> args = option;
      args.push_back(folder.str());
      EXPECT_EQ(Scan(args, c.otherLang).out, row) << c.dll << " under " << c.otherLang << " with " << option[0];
      args = {"--offset", dll, "LevelDesc"};
      args.insert(args.end(), option.begin(), option.end());
      const ProgramRun offset = Scan(args, c.otherLang);
      EXPECT_EQ(offset.exitCode, 0) << c.dll;
      EXPECT_TRUE(offset.out.ends_with("\t" + std::string(c.desc) + "\n")) << offset.out;
    }
  }
}

// What a mission's file name and texts hold reaches the terminal escaped:
// control characters of every kind, and a file name that is not UTF-8.
TEST(VostrelScan, EscapesWhatTheFilesHold) {
  const TempFolder folder;
  // Windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D unassigned: C1 controls.
  testing::WriteMission(folder / "a\x1b[2J\x07\x7f\xC2\x85.dll", "Red\x1b[31m\x07\x7f\\", "x\x81\x8d\x8f\x90\x9d\ty");
  testing::WriteMission(folder / "b\xE9t\xE9.dll", "Map\r\n", "Desc");
  const ProgramRun run = Scan({folder.str()});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "a\\x1b[2J\\x07\\x7f\\u0085.dll\tRed\\x1b[31m\\x07\\x7f\\\\\tStandard Techtree\t"
            "x\\u0081\\u008d\\u008f\\u0090\\u009d\\ty\n"
            "b\\xe9t\\xe9.dll\tMap\\r\\n\tStandard Techtree\tDesc\n");
  EXPECT_EQ(run.err, "Scan finished.\n");  // not a terminal: no line per file
}

// JSON and CSV, read back by Python's own parsers (read_back.py), hold exactly
// the texts the tab-separated lines tell, of a scan and of --offset, however
// the names and texts hide their bytes.
TEST(VostrelScan, JsonAndCsvHoldTheTextsOfTheLines) {
  const TempFolder folder;
  // Windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D unassigned: C1 controls.
  testing::WriteMission(folder / "a\x1b[2J\x07\x7f\xC2\x85.dll", "Red\r\x1b[31m\x07\x7f\\", "x\x81\x8d\x8f\x90\x9d\ty");
  const std::string notUtf8 = folder / "b\xE9t\xE9.dll";
  testing::WriteMission(notUtf8, "Map\r\n", "Desc\b\f\x01");
  testing::WriteMission(folder / "c \"quoted\", comma.dll", "\"Say \"\"hi\"\", then\", ", "one\ntwo\r\nthree\rfour\t,\"");
  testing::WriteMission(folder / "long.dll", "Long, \"long\"", "Begin, \"\n", 300'000);
  testing::WriteMission(folder / "=cmd.dll", "=HYPERLINK(\"http://x\",\"y\")", "'-1");
  PlaceDll("mission_high_bytes.dll", folder / "high.dll");
  const TempFolder outputs;
  for (const std::string format : {"tsv", "json", "csv"}) {
    const ProgramRun scan =
        RunProgram(VOSTREL_SCAN_PROGRAM, {"--format", format, folder.str()}, WithLocale("C.UTF-8"), outputs / ("scan." + format));
    EXPECT_EQ(scan.exitCode, 0) << format << ": " << scan.err;
    const ProgramRun offset = RunProgram(VOSTREL_SCAN_PROGRAM, {"--format=" + format, "--offset", notUtf8, "MapName"},
                                         WithLocale("C.UTF-8"), outputs / ("offset." + format));
    EXPECT_EQ(offset.exitCode, 0) << format << ": " << offset.err;
  }
  const ProgramRun check = RunProgram(VOSTREL_PYTHON3, {VOSTREL_READ_BACK_SCRIPT, outputs.str(), notUtf8, "MapName"});
  EXPECT_EQ(check.exitCode, 0) << check.err;
}

// Ctrl+C (SIGINT) during a scan: the scan stops before its next file, the
// output is a whole document, and the program then ends by the signal. The
// first row, longer than a pipe holds, keeps the program writing it until
// the signal has come.
TEST(VostrelScan, AnInterruptedScanEndsItsDocument) {
  const TempFolder folder;
  for (const char* name : {"1.dll", "2.dll", "3.dll"}) testing::WriteMission(folder / name, "Map", "Desc ", 1u << 20);
  struct Case {
    std::string format;
    std::string rowMark;  // found once in each row
    std::string end;       // how the document ends
  };
  const Case cases[] = {{"json", "{\"file\": ", "\"}\n]\n"}, {"csv", ".dll,Map,", "\r\n"}};
  for (const Case& c : cases) {
    PipedScan scan({"--format", c.format, folder.str()});
    std::string out;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = scan.Read(buffer, sizeof buffer)) > 0) {
      if (out.empty()) ::kill(scan.pid(), SIGINT);  // the program is in its first row
      out.append(buffer, static_cast<std::size_t>(got));
    }
    ASSERT_EQ(got, 0) << c.format;
    const int status = scan.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << c.format << ": status " << status;
    EXPECT_EQ(scan.Err(), "Scan stopped.\n") << c.format;
    std::size_t rows = 0;
    for (std::size_t at = out.find(c.rowMark); at != std::string::npos; at = out.find(c.rowMark, at + 1)) ++rows;
    EXPECT_EQ(rows, 1u) << c.format;
    EXPECT_TRUE(out.ends_with(c.end)) << c.format << ": ..." << out.substr(out.size() - std::min<std::size_t>(out.size(), 40));
  }
}

// Ctrl+C or SIGTERM while a read hangs (a FUSE file system the test serves,
// whose first file's read waits): the program ends by the signal at once,
// with the document whole, whoever reads the file.
TEST(VostrelScan, AnInterruptEndsTheScanWhileAReadHangs) {
  const TempFolder source;
  testing::WriteMission(source / "m.dll", "Crater", "Hold the ridge.");
  const std::string mission = testing::ReadFile(source / "m.dll");
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const char* jobs : {"1", "16"}) {
      SCOPED_TRACE(std::string(strsignal(signal)) + ", --jobs " + jobs);
      std::optional<testing::HangingFolder> folder;
      try {
        folder.emplace(std::map<std::string, std::string>{{"a_hangs.dll", mission}, {"b.dll", mission}},
                       std::set<std::string>{"a_hangs.dll"});
      } catch (const testing::NoFuse& error) {
        GTEST_SKIP() << error.what();
      }
      PipedScan scan({"--format", "json", "--jobs", jobs, folder->str()});
      ASSERT_TRUE(folder->WaitForHangingRead());
      ::kill(scan.pid(), signal);
      std::string out;
      char buffer[4096];
      for (ssize_t got = 0; (got = scan.Read(buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(got));
      const int status = scan.Wait();
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
      EXPECT_EQ(scan.Err(), "Scan stopped.\n");
      EXPECT_EQ(out, "[]\n");
    }
  }
}

// What cannot be read is said on standard error, a line each, with the
// system's reason, and the exit status is 1: a folder that cannot be listed
// (the empty table's row and status, the reason between them), a file that
// cannot be opened, a folder that lists but cannot be entered. So is output
// that cannot be written.
// The program's texts and the system's reasons in one language: the user's
// where a catalogue serves it, else English (though the C library speaks
// Greek, say).
TEST(VostrelScan, SpeaksTheUsersLanguage) {
  const TempFolder scratch;
  const std::string missing = scratch / "brak";
  struct Case {
    const char* lang;
    const char* language;
    std::string out;
    std::string err;
    std::string usage;
  };
  const std::vector<Case> cases{
      {"pl_PL.UTF-8", "", "Nie znaleziono plików DLL!\n",
       "vostrel-scan: Nie można odczytać zawartości folderu " + missing +
           ": Nie ma takiego pliku ani katalogu\nBrak plików do skanowania.\n",
       "użycie: vostrel-scan [--code-page N|auto]"},
      {"C.UTF-8", "ru:pl", "Файлы DLL не найдены!\n",
       "vostrel-scan: Не удаётся прочитать содержимое папки " + missing +
           ": Нет такого файла или каталога\nНет файлов для сканирования.\n",
       "использование: vostrel-scan [--code-page N|auto]"},
      {"el_GR.UTF-8", "", "No DLL's found!\n",
       "vostrel-scan: Cannot list " + missing + ": No such file or directory\nNo files to scan.\n",
       "usage: vostrel-scan [--code-page N|auto]"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = RunProgram(VOSTREL_SCAN_PROGRAM, {missing}, WithLocale(c.lang, c.language));
    EXPECT_EQ(run.exitCode, 1) << c.lang;
    EXPECT_EQ(run.out, c.out) << c.lang;
    EXPECT_EQ(run.err, c.err) << c.lang;
    const ProgramRun help = RunProgram(VOSTREL_SCAN_PROGRAM, {"--help"}, WithLocale(c.lang, c.language));
    EXPECT_EQ(help.out.rfind(c.usage, 0), 0u) << help.out;
  }
}

TEST(VostrelScan, SaysWhatCannotBeRead) {
  const TempFolder scratch;
  using Perms = std::filesystem::perms;
  testing::WriteFile(scratch / "file", "not a folder");
  std::filesystem::create_directory(scratch / "locked");
  PlaceDll("mission_full.dll", scratch / "locked/mission_full.dll");
  std::filesystem::permissions(scratch / "locked", Perms::owner_exec);
  std::filesystem::create_directory(scratch / "shut");
  PlaceDll("mission_full.dll", scratch / "shut/a.dll");
  PlaceDll("mission_full.dll", scratch / "shut/b.dll");
  std::filesystem::permissions(scratch / "shut", Perms::owner_all | Perms::group_read | Perms::others_read);
  std::filesystem::create_directory(scratch / "mixed");
  PlaceDll("mission_full.dll", scratch / "mixed/mission_full.dll");
  PlaceDll("mission_full.dll", scratch / "mixed/secret.dll");
  std::filesystem::permissions(scratch / "mixed/secret.dll", Perms::owner_read | Perms::owner_write);
  const std::string missionRow = "mission_full.dll\t" + std::string(texts::kFullMap) + "\t" + texts::kFullTech + "\t" +
                                 texts::kFullDesc + "\n";
  const auto unlisted = [&](const std::string& folder, const std::string& reason) {
    return "vostrel-scan: Cannot list " + folder + ": " + reason + "\nNo files to scan.\n";
  };
  struct Case {
    std::string folder;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {scratch / "missing", "No DLL's found!\n", unlisted(scratch / "missing", "No such file or directory")},
      {scratch / "file", "No DLL's found!\n", unlisted(scratch / "file", "Not a directory")},
      {scratch / "locked", "No DLL's found!\n", unlisted(scratch / "locked", "Permission denied")},
      {scratch / "shut", "",
       "vostrel-scan: Cannot read a.dll: Permission denied\nvostrel-scan: Cannot read b.dll: Permission denied\n"
       "Scan finished.\n"},
      {scratch / "mixed", missionRow, "vostrel-scan: Cannot read secret.dll: Permission denied\nScan finished.\n"},
  };
  // Root reads whatever it likes: the program then runs as nobody.
  std::vector<std::string> command;
  if (::geteuid() == 0) command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  command.push_back(VOSTREL_SCAN_PROGRAM);
  ASSERT_EQ(::access(command.front().c_str(), X_OK), 0) << "cannot run " << command.front();
  for (const Case& c : cases) {
    std::vector<std::string> args(command.begin() + 1, command.end());
    args.push_back(c.folder);
    const ProgramRun run = RunProgram(command.front(), args);
    EXPECT_EQ(run.exitCode, 1) << c.folder;
    EXPECT_EQ(run.out, c.out) << c.folder;
    EXPECT_EQ(run.err, c.err) << c.folder;
  }
  // JSON and CSV stay whole documents.
  for (const auto& [format, out] : {std::pair{"json", "[]\n"}, {"csv", kCsvHeader}}) {
    const ProgramRun run = Scan({"--format", format, scratch / "missing"});
    EXPECT_EQ(run.exitCode, 1) << format;
    EXPECT_EQ(run.out, out) << format;
  }
  std::filesystem::permissions(scratch / "locked", Perms::owner_all);

  const ProgramRun full = RunProgram(VOSTREL_SCAN_PROGRAM, {scratch.str()}, WithLocale("C.UTF-8"), "/dev/full");
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_NE(full.err.find("vostrel-scan: cannot write the output: No space left on device\n"), std::string::npos)
      << full.err;
}

// The same lines whatever the number of jobs.
TEST(VostrelScan, ScansAFolderIntoLines) {
  const TempFolder folder;
  PlaceDll("mission_full.dll", folder / "mission_full.dll");
  PlaceDll("mission_leveldesc_only.dll", folder / "mission_leveldesc_only.dll");
  PlaceDll("mission_high_bytes.dll", folder / "Mission_High.DLL");
  PlaceDll("functions_only.dll", folder / "functions_only.dll");
  for (const auto& jobs : std::vector<std::vector<std::string>>{{}, {"--jobs", "1"}, {"-j", "3"}, {"-j2"}, {"--jobs=16"}}) {
    std::vector<std::string> args = jobs;
    args.push_back(folder.str());
    const ProgramRun run = Scan(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "mission_full.dll\t" + std::string(texts::kFullMap) + "\t" + texts::kFullTech + "\t" +
                           texts::kFullDesc + "\n" + "Mission_High.DLL\t" + texts::kHighMap + "\t" + texts::kHighTech +
                           "\t" + texts::kHighDesc + "\n" + "mission_leveldesc_only.dll\t\t\t" + texts::kDescOnly + "\n")
        << ::testing::PrintToString(jobs);
    EXPECT_EQ(run.err, "Scan finished.\n") << ::testing::PrintToString(jobs);  // not a terminal: no line per file
  }

  // "No DLL's found!" is no mission: JSON and CSV hold none.
  const TempFolder empty;
  for (const auto& [format, out] : {std::pair{"tsv", "No DLL's found!\n"}, {"json", "[]\n"}, {"csv", kCsvHeader}}) {
    const ProgramRun none = Scan({"--format", format, empty.str()});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, out) << format;
    EXPECT_EQ(none.err, "No files to scan.\n");
  }
}

// A text of tens of megabytes is printed whole, and held at most twice (its
// bytes and its decoded form; the row is escaped as it is written, never
// held again). Loosely bounded: twice the text and a quarter more for the
// growth of what holds it, beside what the program needs for a small mission.
TEST(VostrelScan, PrintsAHugeTextWholeHoldingItAtMostTwice) {
  constexpr std::size_t kTextBytes = 48u << 20;
  const TempFolder folder;
  testing::WriteMission(folder / "huge.dll", "Huge", "Begin ", kTextBytes);
  const TempFolder small;
  PlaceDll("mission_full.dll", small / "mission_full.dll");
  // AddressSanitizer keeps freed blocks for a while (each step of the text's
  // growth): not the program's holding. (First: getenv takes the first.)
  std::vector<std::string> environment = WithLocale("C.UTF-8");
  environment.insert(environment.begin(), "ASAN_OPTIONS=quarantine_size_mb=0");
  const ProgramRun baseline = RunProgram(VOSTREL_SCAN_PROGRAM, {small.str()}, environment);
  const ProgramRun huge = RunProgram(VOSTREL_SCAN_PROGRAM, {folder.str()}, environment);
  EXPECT_EQ(huge.exitCode, 0);
  const std::string expected = "huge.dll\tHuge\tStandard Techtree\tBegin " + testing::FillerText(kTextBytes) + "\n";
  EXPECT_TRUE(huge.out == expected) << huge.out.size() << " bytes, not " << expected.size();
  const long textKilobytes = static_cast<long>(kTextBytes >> 10);
  std::cout << "peak resident set: " << huge.peakKilobytes / 1024 << " MB for a text of " << (textKilobytes >> 10)
            << " MB; " << baseline.peakKilobytes / 1024 << " MB for a small mission\n";
  EXPECT_LT(huge.peakKilobytes, baseline.peakKilobytes + 2 * textKilobytes + textKilobytes / 4);
}

// Exit status 3 and the reason when the library beside the program is missing,
// cut short (a copy still being written: the loader would have been killed
// by SIGBUS mapping it) or for another processor. The program runs in a
// folder that holds a libPeloc.so whose loading would leave a mark: the
// current folder is never looked in.
TEST(VostrelScan, WithoutAWholeLibraryBesideIt) {
  const std::string whole = testing::ReadFile(std::filesystem::path(VOSTREL_SCAN_PROGRAM).parent_path() / "libPeloc.so");
  std::string otherMachine = whole;
  otherMachine.replace(18, 2, 2, '\0');  // e_machine: EM_NONE
  struct Case {
    std::optional<std::string> library;  // none: no file
    const char* said;                    // before "looked for"
  };
  const Case cases[] = {{std::nullopt, ""},
                        {whole.substr(0, 4096), " is damaged or incomplete;"},
                        {whole.substr(0, 65536), " is damaged or incomplete;"},
                        {whole.substr(0, 100000), " is damaged or incomplete;"},
                        {otherMachine, " is not a shared library for this machine;"}};
  const TempFolder planted;
  std::filesystem::copy_file(VOSTREL_PLANTED_LIBRARY, planted / "libPeloc.so");
  const auto runInPlanted = [&](const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> command{"-C", planted.str(), program};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram("/usr/bin/env", command);
  };
  for (const Case& c : cases) {
    // A copy of the program in a folder of its own.
    const TempFolder alone;
    const std::string program = alone / "vostrel-scan";
    std::filesystem::copy_file(VOSTREL_SCAN_PROGRAM, program);
    PlaceDll("mission_full.dll", alone / "mission_full.dll");
    const std::string library = alone / "libPeloc.so";
    if (c.library) testing::WriteFile(library, *c.library);
    const std::string reason = "Cannot load the lookup library Peloc: " + (c.library ? library + c.said + " " : "") +
                               "looked for " + library + ", then libPeloc.so on the system's library path.";

    const ProgramRun offset = runInPlanted(program, {"--offset", alone / "mission_full.dll", "MapName"});
    EXPECT_EQ(offset.exitCode, 3) << reason;
    EXPECT_EQ(offset.out, "");
    EXPECT_NE(offset.err.find(reason), std::string::npos) << offset.err;
    EXPECT_EQ(runInPlanted(program, {"--format=json", "--offset", alone / "mission_full.dll", "MapName"}).out, "[]\n");

    const ProgramRun scan = runInPlanted(program, {alone.str()});
    EXPECT_EQ(scan.exitCode, 3) << reason;
    EXPECT_EQ(scan.out, "");
    EXPECT_EQ(scan.err, "vostrel-scan: " + reason + "\nScan finished.\n");
  }
  EXPECT_FALSE(std::filesystem::exists(planted / "planted-library-ran")) << "the planted library was loaded";
}

// Each wrong command line is refused with exit status 2 and names what is
// wrong; "--" makes any argument a folder; a path that is not a folder
// cannot be listed.
TEST(VostrelScan, NamesTheWrongArgument) {
  const TempFolder scratch;
  std::filesystem::create_directory(scratch / "-reverse");
  PlaceDll("mission_full.dll", scratch / "-reverse/mission_full.dll");
  ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // its first line
    std::string out;
  };
  const std::string program = VOSTREL_SCAN_PROGRAM;
  const Case cases[] = {
      {{""}, 2, "vostrel-scan: empty folder name", ""},
      {{"a", "b"}, 2, "vostrel-scan: give one folder at most, not also \"b\"", ""},
      {{"-reverse"}, 2, "vostrel-scan: unknown option -reverse", ""},
      {{"--help", "extra"}, 2, "vostrel-scan: --help takes no other argument, not \"extra\"", ""},
      {{"--offset", "a.dll", "MapName", "x"}, 2, "vostrel-scan: --offset takes FILE and EXPORT, not also \"x\"", ""},
      {{scratch / "fifo"}, 1, "vostrel-scan: Cannot list " + scratch / "fifo" + ": Not a directory", "No DLL's found!\n"},
      {{"-C", scratch.str(), program, "--", "-reverse"}, 0, "Scan finished.", ""},
  };
  for (const Case& c : cases) {
    // The last case runs in the folder that holds "-reverse", through env.
    const bool inFolder = c.args.front() == "-C";
    const ProgramRun run = inFolder ? RunProgram("/usr/bin/env", c.args) : Scan(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << run.err;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.err) << ::testing::PrintToString(c.args);
    if (inFolder) {
      EXPECT_TRUE(run.out.starts_with("mission_full.dll\t")) << run.out;
    } else {
      EXPECT_EQ(run.out, c.out) << ::testing::PrintToString(c.args);
    }
  }
}

// Output that cannot be written (a full disk; a pipe closed early, with
// SIGPIPE ignored) is said at the first row that fails, and the scan stops
// there: most files are never read, as their times of access show.
TEST(VostrelScan, StopsAtTheFirstFailedWrite) {
  const TempFolder folder;
  constexpr int kFiles = 1000;
  const std::string description(1000, 'd');  // a row of about 1 KB: the pipe holds few
  for (int i = 0; i < kFiles; ++i) testing::WriteMission(folder / ("m" + std::to_string(i) + ".dll"), "Map", description);
  // Times of access set long past: a file read has a later one.
  const auto accessedBack = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(folder.str())) {
      const timespec times[2] = {{0, 0}, {0, UTIME_OMIT}};
      ASSERT_EQ(::utimensat(AT_FDCWD, entry.path().c_str(), times, 0), 0);
    }
  };
  const auto filesRead = [&] {
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.str())) {
      struct stat status {};
      if (::stat(entry.path().c_str(), &status) == 0 && status.st_atim.tv_sec != 0) ++read;
    }
    return read;
  };
  accessedBack();
  testing::ReadFile(folder / "m0.dll");
  if (filesRead() != 1) GTEST_SKIP() << "this file system does not record reads (noatime)";

  struct Case {
    const char* output;
    const char* reason;
  };
  for (const Case& c : {Case{"/dev/full", "No space left on device"}, Case{"pipe", "Broken pipe"}}) {
    accessedBack();
    ProgramRun run;
    if (std::string_view(c.output) == "pipe") {
      // An ignored signal stays ignored in the child.
      const auto previous = ::signal(SIGPIPE, SIG_IGN);
      PipedScan scan({folder.str()});
      ::signal(SIGPIPE, previous);
      char head[100];
      ASSERT_GT(scan.Read(head, sizeof head), 0);
      const int status = scan.Wait();  // the pipe closed after 100 bytes, as `head -c 100` closes it
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      run.err = scan.Err();
    } else {
      run = RunProgram(VOSTREL_SCAN_PROGRAM, {folder.str()}, WithLocale("C.UTF-8"), c.output);
    }
    EXPECT_EQ(run.exitCode, 1) << c.output;
    EXPECT_EQ(run.err, std::string("vostrel-scan: cannot write the output: ") + c.reason + "\nScan stopped.\n") << c.output;
    const int read = filesRead();
    EXPECT_GT(read, 0) << c.output;
    EXPECT_LT(read, kFiles / 2) << c.output;
  }
}

}  // namespace
}  // namespace vostrel
