#include <dlfcn.h>

#include "program_folder.h"
#include "shared_library.h"

namespace vostrel {

void SharedLibrary::Unloader::operator()(void* handle) const { ::dlclose(handle); }

std::optional<SharedLibrary> SharedLibrary::Load(const std::string& nameOrPath) {
  void* handle = ::dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return std::nullopt;
  return SharedLibrary(handle);
}

void* SharedLibrary::Symbol(const char* name) const { return ::dlsym(handle_.get(), name); }

std::vector<std::string> DefaultLookupLibraryCandidates() {
  // The program's own folder first, as on Windows; then the loader's search.
  return {ProgramFolder() + "/libPeloc.so", "libPeloc.so"};
}

std::string DescribeSearch(const std::vector<std::string>& candidates) {
  std::string words;
  for (const std::string& candidate : candidates) {
    if (!words.empty()) words += ", then ";
    words += candidate;
    if (candidate.find('/') == std::string::npos) words += " on the system's library path";
  }
  return words;
}

}  // namespace vostrel
