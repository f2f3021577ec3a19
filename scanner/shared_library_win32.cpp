// Windows: LoadLibraryA with the system's search order, which starts with the
// folder of the running program.
#include <windows.h>

#include "i18n/translation.h"
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

}  // namespace

void SharedLibrary::Unloader::operator()(void* handle) const { ::FreeLibrary(static_cast<HMODULE>(handle)); }

std::variant<SharedLibrary, LoadFailure> SharedLibrary::Load(const std::string& nameOrPath) {
  const QuietErrorMode quiet;
  HMODULE module = ::LoadLibraryA(nameOrPath.c_str());
  if (module != nullptr) return SharedLibrary(module);
  // The system reads a DLL's headers before it maps the file and refuses a
  // cut one; its reason says whether the file it found was no whole image.
  switch (::GetLastError()) {
    case ERROR_BAD_EXE_FORMAT:
      return LoadFailure::kDamaged;
    default:
      return LoadFailure::kNotLoaded;
  }
}

void* SharedLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

std::vector<std::string> DefaultLookupLibraryCandidates() {
  // No extension and no folder: the loader adds ".dll" and searches.
  return {"Peloc"};
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
    std::string place = file;
    if (candidate.find_first_of("\\/") == std::string::npos) {
      // The loader begins its search in the program's folder.
      place = Translated("{places}, then {place}",
                         {{"places", Translated("{file} in {folder} (the program's folder)",
                                                {{"file", file}, {"folder", NativeToUtf8(ProgramFolder())}})},
                          {"place", Translated("{file} on the system's DLL search path", {{"file", file}})}});
    }
    words = words.empty() ? place : Translated("{places}, then {place}", {{"places", words}, {"place", place}});
  }
  return words;
}

}  // namespace vostrel
