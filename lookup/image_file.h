// Opening an image file and resolving an export on its bytes: one
// implementation per platform, each releasing everything it opened before it
// returns.
#pragma once

#include <cstdint>
#include <string_view>

namespace peloc {

// File offset of the data of export `name` in the file at `path`; 0 when the
// file cannot be opened or read, or holds no such export.
uint32_t FindExportInFile(const char* path, std::string_view name);

}  // namespace peloc
