// Times a scan of a folder of COUNT mission copies by the window (frmMain,
// shown, scanning on a Scan click) and by a view that does nothing, as
// vostrel-scan scans; alternately, RUNS times each, after one scan that warms
// the file cache. Prints each time, the medians, the median ratio of each
// pair of runs (taken close together, so that a load that comes and goes
// weighs on both alike) and the fastest times; and the ratio of the processor
// time this process used (not the Wine server's or the X server's).
//   window_scan_bench [COUNT [RUNS [descending|selected]]]   (default 1000 missions, 5 runs)
// With "descending" the window's table is sorted by file name, descending,
// before the runs, so that every row a scan adds goes above the others. With
// "selected" it is sorted so too, and each run also scans with Ctrl+A held
// down (pressed every 50 ms, as a held key repeats), so that every row shown
// is selected as the rows move; the time of that scan is set beside the
// window's scan with no row selected.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "scanner/lookup_binding.h"
#include "scanner/scan_driver.h"
#include "scanner/scan_view.h"
#include "ui/win32/bench/bench_support.h"
#include "ui/win32/main_window.h"
#include "ui/win32/tests/win32_test_support.h"
#include "ui/win32/wide_text.h"

namespace {

using namespace vostrel::win32::bench;  // Clock, Median, ProgramFolder, RunUntil, Seconds
using vostrel::win32::testing::DrainMessages;

class QuietView : public vostrel::ScanView {
 public:
  explicit QuietView(std::string folder) : folder_(std::move(folder)) {}
  std::string FolderText() override { return folder_; }
  void ClearRows() override { rows_ = 0; }
  void AddRow(const vostrel::ScanRow&) override { ++rows_; }
  void AddMessageRow(const std::string&) override {}
  void SetStatus(const std::string&) override {}
  void ReportProblem(vostrel::ScanProblem, const std::string&) override {}
  std::size_t rows() const { return rows_; }

 private:
  std::string folder_;
  std::size_t rows_ = 0;
};

// A fresh folder of `count` copies of the window tests' mission DLLs, removed with its files.
class MissionFolder {
 public:
  explicit MissionFolder(int count) {
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(::GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    path_ = temp + L"vostrel-bench-" + std::to_wstring(::GetCurrentProcessId());
    if (!::CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot make the mission folder");
    const std::wstring dlls = ProgramFolder() + L"\\win32-testdlls\\";
    const std::array<const wchar_t*, 3> sources{L"win32_ridge.dll", L"win32_harbour.dll", L"win32_scouting.dll"};
    for (int i = 0; i < count; ++i) {
      const std::wstring name = path_ + L"\\m" + std::to_wstring(100000 + i) + L".dll";
      if (!::CopyFileW((dlls + sources[static_cast<std::size_t>(i) % sources.size()]).c_str(), name.c_str(), TRUE))
        throw std::runtime_error("cannot copy a mission");
      names_.push_back(name);
    }
  }
  MissionFolder(const MissionFolder&) = delete;
  MissionFolder& operator=(const MissionFolder&) = delete;
  ~MissionFolder() {
    for (const std::wstring& name : names_) ::DeleteFileW(name.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  std::vector<std::wstring> names_;
};

// The processor time this process has used, user and kernel, in seconds.
double ProcessorSeconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// Ctrl+A in the table, as the list view tells of it.
void CALLBACK PressCtrlA(HWND table, UINT, UINT_PTR, DWORD) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  ::SendMessageW(table, WM_KEYDOWN, 'A', 0);
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
}

// A click on Scan, then the window's message loop until the scan has shown
// all it found.
void ScanToEnd(vostrel::win32::MainWindow& window, HWND scan) {
  ::SendMessageW(scan, BM_CLICK, 0, 0);
  RunUntil(window, [&window] { return !window.scanning(); });
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const bool selected = argc > 3 && std::string(argv[3]) == "selected";
  const bool descending = selected || (argc > 3 && std::string(argv[3]) == "descending");
  if (count <= 0 || runs <= 0 || (argc > 3 && !descending)) {
    std::fprintf(stderr, "usage: window_scan_bench [COUNT [RUNS [descending|selected]]]\n");
    return 2;
  }
  try {
    const MissionFolder folder(count);
    const std::string folderText = vostrel::win32::Narrow(folder.path());
    const auto binding = std::make_shared<vostrel::LookupBinding>();

    QuietView quiet(folderText);
    vostrel::ScanDriver console(quiet, *binding);
    console.cmdScan_Click();  // warms the file cache and binds the library
    if (quiet.rows() != static_cast<std::size_t>(count)) throw std::runtime_error("the scan missed missions");

    vostrel::win32::MainWindow window(::GetModuleHandleW(nullptr), binding);
    window.Show(SW_SHOWNORMAL);
    DrainMessages();
    const HWND box = ::GetDlgItem(window.hwnd(), vostrel::win32::kFolderBoxId);
    const HWND scan = ::GetDlgItem(window.hwnd(), vostrel::win32::kScanButtonId);
    const HWND table = ::GetDlgItem(window.hwnd(), vostrel::win32::kTableId);
    ::SetWindowTextW(box, folder.path().c_str());
    for (int click = 0; descending && click < 2; ++click) {
      // As the list view tells of a click on the first column's header.
      NMLISTVIEW header{};
      header.hdr.hwndFrom = table;
      header.hdr.idFrom = vostrel::win32::kTableId;
      header.hdr.code = LVN_COLUMNCLICK;
      header.iItem = -1;
      ::SendMessageW(window.hwnd(), WM_NOTIFY, vostrel::win32::kTableId, reinterpret_cast<LPARAM>(&header));
    }

    std::vector<double> consoleTimes, windowTimes, ratios, processorRatios, selectedTimes, selectedRatios, selectedProcessorRatios;
    for (int run = 0; run < runs; ++run) {
      auto start = Clock::now();
      double processor = ProcessorSeconds();
      console.cmdScan_Click();
      consoleTimes.push_back(Seconds(Clock::now() - start));
      const double consoleProcessor = ProcessorSeconds() - processor;

      start = Clock::now();
      processor = ProcessorSeconds();
      ScanToEnd(window, scan);
      windowTimes.push_back(Seconds(Clock::now() - start));
      const double windowProcessor = ProcessorSeconds() - processor;
      DrainMessages();
      if (::SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) != count) throw std::runtime_error("the window missed rows");
      ratios.push_back(windowTimes.back() / consoleTimes.back());
      processorRatios.push_back(windowProcessor / consoleProcessor);
      std::printf("run %d: console %.3f s, window %.3f s, window/console %.3f; processor time: console %.3f s, "
                  "window %.3f s, window/console %.3f\n",
                  run + 1, consoleTimes.back(), windowTimes.back(), ratios.back(), consoleProcessor, windowProcessor,
                  processorRatios.back());
      if (selected) {
        constexpr UINT_PTR kCtrlATimer = 1;
        start = Clock::now();
        processor = ProcessorSeconds();
        ::SetTimer(table, kCtrlATimer, 50, PressCtrlA);
        ScanToEnd(window, scan);
        ::KillTimer(table, kCtrlATimer);
        selectedTimes.push_back(Seconds(Clock::now() - start));
        selectedProcessorRatios.push_back((ProcessorSeconds() - processor) / windowProcessor);
        DrainMessages();
        if (::SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) != count) throw std::runtime_error("the window missed rows");
        selectedRatios.push_back(selectedTimes.back() / windowTimes.back());
        std::printf("       every row selected: window %.3f s (%lld rows selected at the end), selected/none %.3f; "
                    "processor time selected/none %.3f\n",
                    selectedTimes.back(), static_cast<long long>(::SendMessageW(table, LVM_GETSELECTEDCOUNT, 0, 0)),
                    selectedRatios.back(), selectedProcessorRatios.back());
      }
      std::fflush(stdout);
    }
    const double consoleMedian = Median(consoleTimes), windowMedian = Median(windowTimes);
    const double consoleBest = *std::min_element(consoleTimes.begin(), consoleTimes.end());
    const double windowBest = *std::min_element(windowTimes.begin(), windowTimes.end());
    std::printf("%d missions, %d runs each. Medians: console %.3f s (%.2f ms a file), window %.3f s (%.2f ms a "
                "file); window/console of each pair of runs: median %.3f. Fastest: console %.3f s, window %.3f s, "
                "ratio %.3f. Processor time of this process, window/console: median %.3f\n",
                count, runs, consoleMedian, 1000 * consoleMedian / count, windowMedian, 1000 * windowMedian / count,
                Median(ratios), consoleBest, windowBest, windowBest / consoleBest, Median(processorRatios));
    if (selected)
      std::printf("Every row selected: median %.3f s (%.2f ms a file); selected/none of each pair of runs: median "
                  "%.3f; processor time of this process, selected/none: median %.3f\n",
                  Median(selectedTimes), 1000 * Median(selectedTimes) / count, Median(selectedRatios),
                  Median(selectedProcessorRatios));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "window_scan_bench: %s\n", error.what());
    return 1;
  }
}
