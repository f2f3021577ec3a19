#include <filesystem>

#include "test_platform.h"

namespace vostrel::testing {

const char kSeparator[] = "/";
const char kPelocFileName[] = "libPeloc.so";
const char kLibraryExtension[] = ".so";
const char kLibraryWithoutGetOffset[] = "libm.so.6";

std::string MakeHidden(const std::string& path) {
  const std::filesystem::path file(path);
  const std::filesystem::path hidden = file.parent_path() / ("." + file.filename().string());
  std::filesystem::rename(file, hidden);
  return hidden.string();
}


}  // namespace vostrel::testing
