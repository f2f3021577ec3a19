// GetOffset, the library's first export: one name, one file.
#include "lookup/image_file.h"
#include "peloc/peloc.h"

extern "C" PELOC_API uint32_t PELOC_CALL GetOffset(const char* path, const char* exportName) {
  if (path == nullptr || exportName == nullptr) return 0;
  uint32_t offset = 0;
  peloc::FindExportsInFile(path, &exportName, 1, &offset);
  return offset;
}
