// Vostrel.exe [FOLDER]: frmMain and the program's message loop. With a folder
// (or a file, meaning its folder), the window opens on it and scans it.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>

#include "lookup_binding.h"
#include "main_window.h"

namespace {

struct LocalFreer {
  void operator()(wchar_t** memory) const { ::LocalFree(memory); }
};

// The first argument, read as UTF-16 so that a name in any script comes
// whole; empty without one.
std::wstring FolderArgument() {
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreer> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!arguments || count < 2) return {};
  return arguments.get()[1];
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  try {
    vostrel::LookupBinding binding;  // Peloc is loaded on the first lookup
    vostrel::win32::MainWindow frmMain(instance, binding, FolderArgument());
    frmMain.Show(showCommand);

    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
      if (!frmMain.PreTranslateMessage(message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
  } catch (const std::exception&) {
    return 1;  // the window could not be created
  }
}
