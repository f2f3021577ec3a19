// The library's one exported function.
#include <string_view>

#include "lookup/image_file.h"
#include "peloc/peloc.h"

extern "C" PELOC_API uint32_t PELOC_CALL GetOffset(const char* path, const char* exportName) {
  if (path == nullptr || exportName == nullptr) return 0;
  return peloc::FindExportInFile(path, std::string_view(exportName));
}
