#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "handle/file_descriptor_posix.h"
#include "i18n/translation.h"
#include "scanner/library_file_check.h"
#include "scanner/program_folder.h"
#include "scanner/shared_library.h"

namespace vostrel {

void SharedLibrary::Unloader::operator()(void* handle) const { ::dlclose(handle); }

std::variant<SharedLibrary, LoadFailure> SharedLibrary::Load(const std::string& nameOrPath) {
  constexpr int kMode = RTLD_NOW | RTLD_LOCAL;
  const auto loaded = [](void* handle) -> std::variant<SharedLibrary, LoadFailure> {
    if (handle == nullptr) return LoadFailure{};
    return SharedLibrary(handle);
  };
  // A bare name is the loader's to find on the system's library path, where
  // the package manager puts whole files; a path is checked first.
  if (nameOrPath.find('/') == std::string::npos) return loaded(::dlopen(nameOrPath.c_str(), kMode));

  const handle::FileDescriptor file(::open(nameOrPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat status {};
  if (!file || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return LoadFailure{};
  if (const auto wrong = CheckLibraryFile(file.get(), static_cast<uint64_t>(status.st_size))) return *wrong;
  // The loader opens the file checked, through its descriptor, whatever has
  // been renamed into its place meanwhile. Not covered: that same file cut
  // shorter between the check and the mapping.
  const std::string checked = "/proc/self/fd/" + std::to_string(file.get());
  void* handle = ::dlopen(checked.c_str(), kMode);
  if (handle == nullptr && ::access("/proc/self/fd", F_OK) != 0) handle = ::dlopen(nameOrPath.c_str(), kMode);  // no /proc
  return loaded(handle);
}

void* SharedLibrary::Symbol(const char* name) const { return ::dlsym(handle_.get(), name); }

std::vector<std::string> DefaultLookupLibraryCandidates() {
  // The program's own folder first, as on Windows; then the loader's search
  // (the program's run path, which names no folder, then the system's
  // folders): never the current folder.
  std::vector<std::string> candidates;
  if (const std::string folder = ProgramFolder(); !folder.empty()) candidates.push_back(folder + "/libPeloc.so");
  candidates.emplace_back("libPeloc.so");
  return candidates;
}

std::string LibraryFileName(const std::string& nameOrPath) { return nameOrPath; }

std::string DescribeSearch(const std::vector<std::string>& candidates) {
  std::string words;
  for (const std::string& candidate : candidates) {
    const std::string place = candidate.find('/') == std::string::npos
                                  ? Translated("{file} on the system's library path", {{"file", candidate}})
                                  : candidate;
    words = words.empty() ? place : Translated("{places}, then {place}", {{"places", words}, {"place", place}});
  }
  return words;
}

}  // namespace vostrel
