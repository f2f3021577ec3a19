// The console front end: its output as a terminal shows it, and the built
// vostrel-scan run as a child process (output, exit status).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "console_view.h"
#include "lookup_binding.h"
#include "scan_driver.h"
#include "test_support.h"
#include "vostrel_version.h"

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
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Runs the program with its standard output and error sent to files, and
// waits for it.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
  const TempFolder scratch;
  const std::string outPath = scratch / "out";
  const std::string errPath = scratch / "err";
  SpawnActions actions;
  actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
  actions.Open(STDOUT_FILENO, outPath, O_WRONLY | O_CREAT | O_TRUNC);
  actions.Open(STDERR_FILENO, errPath, O_WRONLY | O_CREAT | O_TRUNC);
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) throw std::runtime_error("cannot start " + program);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + program);
  }
  ProgramRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = testing::ReadFile(outPath);
  run.err = testing::ReadFile(errPath);
  return run;
}

ProgramRun Scan(const std::vector<std::string>& args) { return RunProgram(VOSTREL_SCAN_PROGRAM, args); }

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
  ConsoleView view(folder.str(), terminal, terminal, true);
  ScanDriver(view, binding, 1252).cmdScan_Click();
  EXPECT_EQ(Screen(terminal.str()),
            (std::vector<std::string>{"mission_full.dll\t" + std::string(texts::kFullMap) + "\t" + texts::kFullTech +
                                          "\t" + texts::kFullDesc,
                                      "only_desc.dll\t\t\t" + std::string(texts::kDescOnly), "Scan finished."}))
      << terminal.str();

  const TempFolder empty;
  std::ostringstream emptyTerminal;
  ConsoleView emptyView(empty.str(), emptyTerminal, emptyTerminal, true);
  ScanDriver(emptyView, binding, 1252).cmdScan_Click();
  EXPECT_EQ(Screen(emptyTerminal.str()), (std::vector<std::string>{"No DLL's found!", "No files to scan."}));
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

  for (const auto& args : std::vector<std::vector<std::string>>{{"--offset", dll, "techtreename"},
                                                                {"--offset", testing::TestDll("functions_only.dll"), "MapName"},
                                                                {"--offset", dll + ".missing", "MapName"}}) {
    const ProgramRun missing = Scan(args);
    EXPECT_EQ(missing.exitCode, 1) << args[2];
    EXPECT_EQ(missing.out, "0\t\n") << args[2];
  }
}

TEST(VostrelScan, RefusesWrongArgumentsAndHelps) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"--offset"}, {"--offset", "a.dll"}, {"--offset", "a.dll", "MapName", "x"}, {"a", "b"}, {"-x"}}) {
    const ProgramRun run = Scan(args);
    EXPECT_EQ(run.exitCode, 2) << args.size();
    EXPECT_TRUE(run.err.starts_with("usage: vostrel-scan FOLDER\n")) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const ProgramRun help = Scan({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("usage: vostrel-scan FOLDER\n")) << help.out;
  EXPECT_NE(help.out.find("--offset FILE EXPORT"), std::string::npos);
  EXPECT_EQ(Scan({"--version"}).out, "vostrel-scan " VOSTREL_VERSION "\n");
}

TEST(VostrelScan, ScansAFolderIntoLines) {
  const TempFolder folder;
  PlaceDll("mission_full.dll", folder / "mission_full.dll");
  PlaceDll("mission_leveldesc_only.dll", folder / "mission_leveldesc_only.dll");
  PlaceDll("mission_high_bytes.dll", folder / "Mission_High.DLL");
  PlaceDll("functions_only.dll", folder / "functions_only.dll");
  const ProgramRun run = Scan({folder.str()});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "mission_full.dll\t" + std::string(texts::kFullMap) + "\t" + texts::kFullTech + "\t" +
                         texts::kFullDesc + "\n" + "Mission_High.DLL\t" + texts::kHighMap + "\t" + texts::kHighTech +
                         "\t" + texts::kHighDesc + "\n" + "mission_leveldesc_only.dll\t\t\t" + texts::kDescOnly + "\n");
  EXPECT_EQ(run.err,
            "Scanning functions_only.dll...\nScanning mission_full.dll...\nScanning Mission_High.DLL...\n"
            "Scanning mission_leveldesc_only.dll...\nScan finished.\n");

  const TempFolder empty;
  const ProgramRun none = Scan({empty.str()});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "No DLL's found!\n");
  EXPECT_EQ(none.err, "No files to scan.\n");
}

TEST(VostrelScan, WithoutTheLibraryBesideIt) {
  // A copy of the program in a folder of its own, where no lookup library lies.
  const TempFolder alone;
  const std::string program = alone / "vostrel-scan";
  std::filesystem::copy_file(VOSTREL_SCAN_PROGRAM, program);
  PlaceDll("mission_full.dll", alone / "mission_full.dll");

  const ProgramRun offset = RunProgram(program, {"--offset", alone / "mission_full.dll", "MapName"});
  EXPECT_EQ(offset.exitCode, 2);
  EXPECT_EQ(offset.out, "");
  EXPECT_NE(offset.err.find("Cannot load the lookup library Peloc"), std::string::npos) << offset.err;

  const ProgramRun scan = RunProgram(program, {alone.str()});
  EXPECT_EQ(scan.exitCode, 3);
  EXPECT_EQ(scan.out, "");
  EXPECT_EQ(scan.err, "Scanning mission_full.dll...\nvostrel-scan: Cannot load the lookup library Peloc: looked for " +
                          (alone / "libPeloc.so") + ", then libPeloc.so on the system's library path.\nScan finished.\n");
}

}  // namespace
}  // namespace vostrel
