// Vostrel.exe [FOLDER]: frmMain and the program's message loop. With a folder
// (or a file, meaning its folder), the window opens on it and scans it.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>

#include "lookup_binding.h"
#include "main_window.h"
#include "unique_handle.h"

namespace {

// The first argument, read as UTF-16 so that a name in any script comes
// whole; empty without one.
std::wstring FolderArgument() {
  int count = 0;
  const peloc::UniqueHandle<peloc::NullInvalid<wchar_t**, ::LocalFree>> arguments(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
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
