// Win32: a read-only mapping of the whole file. Other processes may read the
// file meanwhile, but not write or delete it.
#include <windows.h>

#include <cstddef>
#include <span>

#include "image_file.h"
#include "pe_exports.h"

namespace peloc {
namespace {

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class MappedView {
 public:
  explicit MappedView(const void* address) : address_(address) {}
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView() {
    if (address_ != nullptr) ::UnmapViewOfFile(address_);
  }
  const std::byte* get() const { return static_cast<const std::byte*>(address_); }

 private:
  const void* address_;
};

}  // namespace

uint32_t FindExportInFile(const char* path, std::string_view name) {
  // Declared in this order so that they are released view, mapping, file.
  const KernelHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return 0;
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE || size == 0) return 0;  // an empty file cannot be mapped
  const KernelHandle mapping(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, size, nullptr));
  if (!mapping.valid()) return 0;
  const MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (view.get() == nullptr) return 0;

  MemoryBytes source(std::span<const std::byte>(view.get(), size));
  const ByteReader<MemoryBytes> image(source);
  return FindExportOffset(image, name);
}

}  // namespace peloc
