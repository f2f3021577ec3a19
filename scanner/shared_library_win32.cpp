// Windows: a DLL loaded only from where it was asked for, or a name only from
// the program's folder and the system's: never from the current folder or
// PATH, where a DLL planted beside a mission pack would run its DllMain.
#include <windows.h>

#include "handle/unique_handle.h"
#include "i18n/translation.h"
#include "scanner/library_file_check.h"
#include "scanner/program_folder.h"
#include "scanner/shared_library.h"
#include "scanner/text_encoding.h"

namespace vostrel {
namespace {

// A library that fails to load must not put up a message box of the system's.
class QuietErrorMode {
 public:
  QuietErrorMode() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;
  ~QuietErrorMode() { ::SetThreadErrorMode(previous_, nullptr); }

 private:
  DWORD previous_ = 0;
};

struct FileHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE file) noexcept { ::CloseHandle(file); }
};
using FileHandle = handle::UniqueHandle<FileHandleTraits>;

bool IsPath(const std::string& nameOrPath) { return nameOrPath.find_first_of("\\/") != std::string::npos; }

std::string SystemFolder() {
  std::string folder(MAX_PATH, '\0');
  const UINT length = ::GetSystemDirectoryA(folder.data(), MAX_PATH);
  folder.resize(length < MAX_PATH ? length : 0);
  return folder;
}

// What a load that came back empty says of the file it found: the system
// reads a DLL's headers and sections before it maps the file, and refuses a
// cut one as no valid image.
LoadFailure Refused(DWORD error) {
  return error == ERROR_BAD_EXE_FORMAT ? LoadFailure{LoadFailure::Kind::kDamaged} : LoadFailure{};
}

// The DLL at `path`, once its headers say it is one for this program. The
// file stays open, shared with readers alone, until it is loaded: the file
// checked is the file loaded.
std::variant<HMODULE, LoadFailure> LoadChecked(const std::string& path) {
  const FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return LoadFailure{};
  const auto wrong = CheckLibraryFile(reinterpret_cast<std::intptr_t>(file.get()), static_cast<uint64_t>(size.QuadPart));
  if (wrong) return *wrong;
  // Its own imports (system DLLs) from its folder and the system's.
  HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    // A system without these flags (Windows 7 before KB2533623): a full
    // path is not searched, and its imports are looked for from its folder.
    module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (module == nullptr) return Refused(::GetLastError());
  return module;
}

// A DLL named without a folder, from the program's folder or the system's.
std::variant<HMODULE, LoadFailure> LoadByName(const std::string& name) {
  HMODULE module = ::LoadLibraryExA(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return Refused(::GetLastError());
  return module;
}

}  // namespace

void SharedLibrary::Unloader::operator()(void* handle) const { ::FreeLibrary(static_cast<HMODULE>(handle)); }

std::variant<SharedLibrary, LoadFailure> SharedLibrary::Load(const std::string& nameOrPath) {
  const QuietErrorMode quiet;
  const auto loaded = IsPath(nameOrPath) ? LoadChecked(nameOrPath) : LoadByName(nameOrPath);
  if (const auto* failure = std::get_if<LoadFailure>(&loaded)) return *failure;
  return SharedLibrary(std::get<HMODULE>(loaded));
}

void* SharedLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

std::vector<std::string> DefaultLookupLibraryCandidates() {
  // By full path: the program's folder, then the system's.
  std::vector<std::string> candidates;
  for (const std::string& folder : {ProgramFolder(), SystemFolder()}) {
    if (!folder.empty()) candidates.push_back(folder + "\\Peloc.dll");
  }
  return candidates;
}

std::string LibraryFileName(const std::string& nameOrPath) {
  // The loader adds ".dll" to a name without an extension.
  const bool bareName = nameOrPath.find_first_of("\\/.") == std::string::npos;
  return NativeToUtf8(bareName ? nameOrPath + ".dll" : nameOrPath);
}

std::string DescribeSearch(const std::vector<std::string>& candidates) {
  std::string words;
  for (const std::string& candidate : candidates) {
    const std::string file = LibraryFileName(candidate);
    const std::string place =
        IsPath(candidate) ? file : Translated("{file} in the program's folder and the system's", {{"file", file}});
    words = words.empty() ? place : Translated("{places}, then {place}", {{"places", words}, {"place", place}});
  }
  return words;
}

}  // namespace vostrel
