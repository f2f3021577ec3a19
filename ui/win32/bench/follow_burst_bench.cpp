// Times how long the window following its folder takes to show a burst of
// COUNT mission DLLs copied into it at once (a pack unpacked): from the first
// copy, and from the last, until the table shows every one of them; RUNS
// times, a fresh folder and window each. A measurement, never a test.
//   follow_burst_bench [COUNT [RUNS]]   (default 1000 missions, 5 runs)
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
#include "ui/win32/bench/bench_support.h"
#include "ui/win32/main_window.h"
#include "ui/win32/tests/win32_test_support.h"

using namespace vostrel::win32::bench;  // Clock, Median, ProgramFolder, RunUntil, Seconds

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (count <= 0 || runs <= 0) {
    std::fprintf(stderr, "usage: follow_burst_bench [COUNT [RUNS]]\n");
    return 2;
  }
  try {
    const auto binding = std::make_shared<vostrel::LookupBinding>();
    const std::wstring dlls = ProgramFolder() + L"\\win32-testdlls\\";
    const std::array<const wchar_t*, 3> sources{L"win32_ridge.dll", L"win32_harbour.dll", L"win32_scouting.dll"};
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(::GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    std::vector<double> fromFirst, fromLast;
    for (int run = 0; run < runs; ++run) {
      const std::wstring folder =
          temp + L"vostrel-burst-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(run);
      if (!::CreateDirectoryW(folder.c_str(), nullptr)) throw std::runtime_error("cannot make the mission folder");
      {
        vostrel::win32::MainWindow window(::GetModuleHandleW(nullptr), binding);
        window.Show(SW_SHOWNORMAL);
        const HWND table = ::GetDlgItem(window.hwnd(), vostrel::win32::kTableId);
        ::SetWindowTextW(::GetDlgItem(window.hwnd(), vostrel::win32::kFolderBoxId), folder.c_str());
        ::SendMessageW(::GetDlgItem(window.hwnd(), vostrel::win32::kScanButtonId), BM_CLICK, 0, 0);
        RunUntil(window, [&] { return !window.scanning(); });
        vostrel::win32::testing::DrainMessages();

        const Clock::time_point first = Clock::now();
        for (int i = 0; i < count; ++i) {
          const std::wstring name = folder + L"\\m" + std::to_wstring(100000 + i) + L".dll";
          if (!::CopyFileW((dlls + sources[static_cast<std::size_t>(i) % sources.size()]).c_str(), name.c_str(), TRUE))
            throw std::runtime_error("cannot copy a mission");
        }
        const Clock::time_point last = Clock::now();
        RunUntil(window, [&] { return ::SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == count; });
        const Clock::time_point shown = Clock::now();
        fromFirst.push_back(Seconds(shown - first));
        fromLast.push_back(Seconds(shown - last));
        std::printf("run %d: %d missions shown %.3f s after the first copy, %.3f s after the last (copying took %.3f s)\n",
                    run + 1, count, fromFirst.back(), fromLast.back(), Seconds(last - first));
        ::DestroyWindow(window.hwnd());
        vostrel::win32::testing::DrainMessages();
      }
      for (int i = 0; i < count; ++i) ::DeleteFileW((folder + L"\\m" + std::to_wstring(100000 + i) + L".dll").c_str());
      ::RemoveDirectoryW(folder.c_str());
    }
    std::printf("median: %.3f s after the first copy, %.3f s after the last\n", Median(fromFirst), Median(fromLast));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "follow_burst_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
