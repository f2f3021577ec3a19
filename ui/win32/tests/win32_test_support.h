// Real files and folders for the Windows tests, through the ANSI file API the
// program itself uses: a temporary folder that removes itself, and the test
// DLLs built beside the test program.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace vostrel::win32::testing {

// Runs the message queue dry; a quit request left by a destroyed window is dropped.
inline void DrainMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// Runs the message queue until the condition holds; says whether it did.
// The bound is far beyond any wait on a loaded machine under Wine: it ends a
// test that would otherwise hang, it is not what the test measures.
template <typename Condition>
bool WaitUntil(const Condition& condition) {
  for (const ULONGLONG end = ::GetTickCount64() + 60000; !condition();) {
    if (::GetTickCount64() >= end) return false;
    DrainMessages();
    ::Sleep(10);
  }
  return true;
}

// The folder of the running test program.
inline std::string TestProgramFolder() {
  std::string path(MAX_PATH * 4, '\0');
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path.substr(0, path.find_last_of('\\'));
}

// A test DLL built for these tests (see CMakeLists.txt), e.g. "win32_ridge.dll".
inline std::string TestDll(std::string_view name) {
  return TestProgramFolder() + "\\win32-testdlls\\" + std::string(name);
}

inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void WriteFile(const std::string& path, std::string_view bytes) {
  const HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + path);
}

inline void CopyTo(const std::string& from, const std::string& to) {
  if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy " + from + " to " + to);
}

// Removes a folder and all it holds, whatever the files' attributes.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry{};
  const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

// A fresh folder under the system's temporary folder; `name` may hold
// characters of the ANSI code page.
class TempFolder {
 public:
  explicit TempFolder(std::string_view name = "vostrel-test") {
    char temp[MAX_PATH + 1] = {};
    if (::GetTempPathA(sizeof temp, temp) == 0) throw std::runtime_error("no temporary folder");
    const std::string stem = std::string(temp) + std::string(name) + "-" + std::to_string(::GetCurrentProcessId()) +
                             "-" + std::to_string(::GetTickCount64()) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
      path_ = stem + std::to_string(attempt);
      if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
    }
    throw std::runtime_error("cannot make a temporary folder");
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() { RemoveTree(path_); }

  const std::string& str() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "\\" + std::string(name); }

 private:
  std::string path_;
};

// Makes a folder the current one for a while.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    char previous[MAX_PATH * 4] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    previous_ = previous;
    if (!::SetCurrentDirectoryA(folder.c_str())) throw std::runtime_error("cannot enter " + folder);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;
  ~CurrentFolder() { ::SetCurrentDirectoryA(previous_.c_str()); }

 private:
  std::string previous_;
};

}  // namespace vostrel::win32::testing
