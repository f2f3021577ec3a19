#include <windows.h>

#include <stdexcept>

#include "test_platform.h"

namespace vostrel::testing {

const char kSeparator[] = "\\";
const char kPelocFileName[] = "Peloc.dll";
const char kLibraryExtension[] = ".dll";
const char kLibraryWithoutGetOffset[] = "version.dll";

std::string MakeHidden(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  // "Normal" means no other attribute: it goes when another is set.
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !::SetFileAttributesA(path.c_str(), (attributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | FILE_ATTRIBUTE_HIDDEN))
    throw std::runtime_error("cannot hide " + path);
  // Wine keeps attributes in extended attributes, which not every file system has.
  if ((::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0)
    throw std::runtime_error("the hidden attribute is not kept on " + path);
  return path;
}

}  // namespace vostrel::testing
