#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "scanner/program_folder.h"

namespace vostrel {

std::string ProgramFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  // Not the current folder: the lookup library is looked for here.
  if (error) return {};
  return executable.parent_path().string();
}

}  // namespace vostrel
