// Opening an image file and resolving exports on its bytes: one
// implementation per platform, each opening and reading the file once and
// releasing everything it opened before it returns.
#pragma once

#include <cstdint>

namespace peloc {

// offsets[i]: the file offset of the data of export names[i] in the file at
// `path` (0 for a null name); all 0 when the file cannot be opened or read.
// How many were found.
uint32_t FindExportsInFile(const char* path, const char* const* names, uint32_t count, uint32_t* offsets);

}  // namespace peloc
