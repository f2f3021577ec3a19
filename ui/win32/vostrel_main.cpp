// Vostrel.exe: frmMain and the program's message loop.
#include <windows.h>

#include <exception>

#include "lookup_binding.h"
#include "main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  try {
    vostrel::LookupBinding binding;  // Peloc is loaded on the first lookup
    vostrel::win32::MainWindow frmMain(instance, binding);
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
