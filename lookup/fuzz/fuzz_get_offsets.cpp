// libFuzzer entry: GetOffsets over arbitrary bytes, as a file, looking up the
// three texts' names, one taken from the input and the empty name at once.
// Besides the sanitizers, each answer must be GetOffset's for that name,
// whichever way the bytes reach GetOffsets: by path, held whole by the
// caller, or a first part held (its length taken from the input) with the
// rest read through the caller a few bytes at a time.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "lookup/fuzz/fuzz_input.h"
#include "peloc/peloc.h"

namespace {

// The caller's read: at most `piece` bytes of the input at a time.
struct HeldBytes {
  std::span<const std::byte> bytes;
  uint32_t piece;
};

int32_t PELOC_CALL ReadHeld(void* file, uint64_t offset, void* into, uint32_t length) {
  const auto& held = *static_cast<const HeldBytes*>(file);
  if (length == 0 || offset >= held.bytes.size()) __builtin_trap();  // asked for nothing, or past the end
  const std::size_t n = std::min<std::size_t>({length, held.bytes.size() - offset, held.piece});
  std::memcpy(into, held.bytes.data() + offset, n);
  return static_cast<int32_t>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  const peloc::fuzz::MemoryFile file(bytes);
  const std::string path = file.path();
  const std::string fromInput(peloc::fuzz::NameFromInput(bytes));
  const std::array<const char*, 5> names{"MapName", "TechtreeName", "LevelDesc", fromInput.c_str(), ""};
  std::array<uint32_t, names.size()> expected{};
  uint32_t found = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    expected[i] = GetOffset(path.c_str(), names[i]);
    found += expected[i] != 0;
  }

  // The part held and the read's piece size vary with the input.
  const uint64_t headSize = size < 2 ? 0 : (std::to_integer<uint64_t>(bytes[0]) << 8 | std::to_integer<uint64_t>(bytes[1])) % (size + 1);
  HeldBytes held{bytes, size == 0 ? 1 : 1 + std::to_integer<uint32_t>(bytes[size - 1]) % 16};
  const PelocImage whole{size, data, size, nullptr, nullptr};
  const PelocImage part{size, data, headSize, ReadHeld, &held};
  for (const PelocImage* image : {static_cast<const PelocImage*>(nullptr), &whole, &part}) {
    std::array<uint32_t, names.size()> offsets{};
    if (GetOffsets(path.c_str(), image, names.data(), static_cast<uint32_t>(names.size()), offsets.data()) != found)
      __builtin_trap();
    if (offsets != expected) __builtin_trap();
  }
  return 0;
}
