// Vostrel.exe [--] [FOLDER]: frmMain and the program's message loop. With a
// folder (or a file, meaning its folder), the window opens on it and scans
// it. The command line is read by the rules both windows share; what cannot
// be taken is said in a message box, with exit status 2.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "handle/unique_handle.h"
#include "scanner/lookup_binding.h"
#include "ui/core/window_arguments.h"
#include "ui/core/window_layout.h"
#include "ui/win32/main_window.h"
#include "ui/win32/wide_text.h"
#include "vostrel/version.h"

namespace {

constexpr char kProgram[] = "Vostrel.exe";

// The arguments after the program's name, read as UTF-16 so that a name in
// any script comes whole.
std::vector<std::wstring> Arguments() {
  int count = 0;
  const handle::UniqueHandle<handle::NullInvalid<wchar_t**, ::LocalFree>> arguments(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!arguments) return {};
  return std::vector<std::wstring>(arguments.get() + std::min(count, 1), arguments.get() + count);
}

void Say(const std::wstring& text, UINT icon) {
  ::MessageBoxW(nullptr, text.c_str(), vostrel::win32::Widen(vostrel::layout::kCaption).c_str(), MB_OK | icon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const std::vector<std::wstring> args = Arguments();
  const auto command = vostrel::ReadWindowArguments<wchar_t>(args);
  using Kind = vostrel::WindowCommand<wchar_t>::Kind;
  using vostrel::win32::Widen;
  switch (command.kind) {
    case Kind::kHelp:
      Say(Widen(vostrel::WindowHelp(kProgram)), MB_ICONINFORMATION);
      return 0;
    case Kind::kVersion:
      Say(L"Vostrel " + Widen(VOSTREL_VERSION), MB_ICONINFORMATION);
      return 0;
    case Kind::kWrong:
      Say(command.problem + L"\n\n" + Widen(vostrel::WindowUsage(kProgram)), MB_ICONWARNING);
      return 2;
    case Kind::kOpen:
      break;
  }
  try {
    // Peloc is loaded on the first lookup. Shared with the scans' threads, which
    // may outlive the window while a read hangs.
    vostrel::win32::MainWindow frmMain(instance, std::make_shared<vostrel::LookupBinding>(), command.folder);
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
