// Win32: a read-only mapping of the whole file. Other processes may read the
// file meanwhile, but not write or delete it.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <span>
#include <utility>

#include "handle/unique_handle.h"
#include "lookup/image_file.h"
#include "lookup/pe_exports.h"

namespace peloc {
namespace {

struct FileHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE file) noexcept { ::CloseHandle(file); }
};
using FileHandle = handle::UniqueHandle<FileHandleTraits>;
using MappingHandle = handle::UniqueHandle<handle::NullInvalid<HANDLE, ::CloseHandle>>;
using MappedView = handle::UniqueHandle<handle::NullInvalid<void*, ::UnmapViewOfFile>>;

}  // namespace

uint32_t FindExportsInFile(const char* path, const char* const* names, uint32_t count, uint32_t* offsets) {
  std::fill_n(offsets, count, 0u);
  // Declared in this order so that they are released view, mapping, file.
  const FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return 0;
  // All of the size: a file of 4 GiB or more can hold data at any 32-bit
  // offset. Such a file is mapped whole where the address space has room
  // for it (a 64-bit process).
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return 0;  // an empty file cannot be mapped
  if (!std::in_range<std::size_t>(size.QuadPart)) return 0;
  const MappingHandle mapping(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return 0;
  const MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view.valid()) return 0;

  MemoryBytes source(std::span<const std::byte>(static_cast<const std::byte*>(view.get()),
                                                static_cast<std::size_t>(size.QuadPart)));
  const ByteReader<MemoryBytes> image(source);
  return FindExportOffsets(image, names, count, offsets);
}

}  // namespace peloc
