// Windows: the DLL's DOS and NT headers read through the bounds-checked
// reader, for its word size and processor. The loader checks the rest (the
// sections' bytes) itself and refuses a cut DLL.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "lookup/byte_reader.h"
#include "scanner/library_file_check.h"

namespace vostrel {
namespace {

// The few fields asked for, each read with one ReadFile at its offset.
class HandleBytes {
 public:
  HandleBytes(HANDLE file, uint64_t size) : file_(file), size_(size) {}

  uint64_t size() const { return size_; }

  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const auto want = static_cast<DWORD>(std::min<uint64_t>(maxLength, block_.size()));
    DWORD got = 0;
    if (!::ReadFile(file_, block_.data(), want, &got, &at)) return {};
    return std::span<const std::byte>(block_).first(got);
  }

 private:
  HANDLE file_;
  uint64_t size_;
  std::array<std::byte, 8> block_{};
};

constexpr int64_t kOffsetOfMachine = offsetof(IMAGE_NT_HEADERS32, FileHeader) + offsetof(IMAGE_FILE_HEADER, Machine);
// Magic is the optional header's first field, in either kind.
constexpr int64_t kOffsetOfOptionalHeaderMagic = offsetof(IMAGE_NT_HEADERS32, OptionalHeader);
constexpr int kProgramBits = sizeof(void*) * 8;

// The processor the program's own image is for, as the loader mapped it.
WORD OwnMachine() {
  const auto* base = reinterpret_cast<const std::byte*>(::GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader.Machine;
}

}  // namespace

std::optional<LoadFailure> CheckLibraryFile(std::intptr_t file, std::uint64_t size) {
  constexpr LoadFailure kDamaged{LoadFailure::Kind::kDamaged};
  HandleBytes bytes(reinterpret_cast<HANDLE>(file), size);
  const peloc::ByteReader<HandleBytes> image(bytes);
  const auto e_lfanew = image.U32(offsetof(IMAGE_DOS_HEADER, e_lfanew));
  if (image.U16(offsetof(IMAGE_DOS_HEADER, e_magic)) != IMAGE_DOS_SIGNATURE || !e_lfanew) return kDamaged;
  const int64_t nt = *e_lfanew;
  const auto Machine = image.U16(nt + kOffsetOfMachine);
  const auto Magic = image.U16(nt + kOffsetOfOptionalHeaderMagic);
  if (image.U32(nt) != IMAGE_NT_SIGNATURE || !Machine || !Magic) return kDamaged;
  int bits = 0;
  if (*Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) bits = 32;
  if (*Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) bits = 64;
  if (bits == 0) return kDamaged;
  if (bits != kProgramBits) return LoadFailure{LoadFailure::Kind::kOtherWordSize, bits};
  if (*Machine != OwnMachine()) return LoadFailure{LoadFailure::Kind::kOtherMachine};
  return std::nullopt;
}

}  // namespace vostrel
