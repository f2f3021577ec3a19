// POSIX: the ELF file's headers read through the bounds-checked reader, in the
// file's byte order once that is known to be this machine's.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "lookup/byte_reader.h"
#include "scanner/library_file_check.h"

namespace vostrel {
namespace {

using Ehdr = ElfW(Ehdr);
using Phdr = ElfW(Phdr);
using Shdr = ElfW(Shdr);

// The file's bytes read with pread, a block at a time: the tables' entries
// follow one another, so most are served from the block last read.
class DescriptorBytes {
 public:
  DescriptorBytes(int fd, uint64_t size) : fd_(fd), size_(size) {}

  uint64_t size() const { return size_; }

  std::span<const std::byte> Fetch(uint64_t offset, uint64_t maxLength) {
    if (offset < blockStart_ || offset - blockStart_ >= blockLength_) {
      blockStart_ = offset;
      blockLength_ = 0;
      ssize_t got = 0;
      do {
        got = ::pread(fd_, block_.data(), std::min<uint64_t>(block_.size(), size_ - offset), static_cast<off_t>(offset));
      } while (got < 0 && errno == EINTR);
      if (got <= 0) return {};  // a read error, or the file shrank under us
      blockLength_ = static_cast<uint64_t>(got);
    }
    const uint64_t within = offset - blockStart_;
    return std::span(block_).subspan(within, std::min(maxLength, blockLength_ - within));
  }

 private:
  int fd_;
  uint64_t size_;
  std::array<std::byte, 4096> block_{};
  uint64_t blockStart_ = 0;
  uint64_t blockLength_ = 0;
};

using Reader = peloc::ByteReader<DescriptorBytes>;

// A header or table entry at a file offset, as the file holds it.
template <class Entry>
std::optional<Entry> ReadEntry(const Reader& reader, uint64_t offset) {
  std::array<std::byte, sizeof(Entry)> bytes{};
  if (offset > INT64_MAX || !reader.Read(static_cast<int64_t>(offset), bytes)) return std::nullopt;
  return std::bit_cast<Entry>(bytes);
}

bool Holds(const Reader& reader, uint64_t offset, uint64_t length) {
  return offset <= reader.size() && length <= reader.size() - offset;
}

// A table of `count` entries of the size the format gives them, inside the file.
bool HoldsTable(const Reader& reader, uint64_t offset, uint64_t count, uint64_t entrySize, uint64_t formatEntrySize) {
  if (count == 0) return true;
  return entrySize == formatEntrySize && count <= reader.size() / entrySize && Holds(reader, offset, count * entrySize);
}

// The ELF header of the program's own image, as mapped (the first segment
// holds it): a library it can load has its class, byte order and processor.
const Ehdr* OwnHeader() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&OwnHeader), &info) == 0 || info.dli_fbase == nullptr) return nullptr;
  return static_cast<const Ehdr*>(info.dli_fbase);
}

}  // namespace

std::optional<LoadFailure> CheckLibraryFile(std::intptr_t file, uint64_t size) {
  constexpr LoadFailure kDamaged{LoadFailure::Kind::kDamaged};
  DescriptorBytes bytes(static_cast<int>(file), size);
  const Reader reader(bytes);
  const auto header = ReadEntry<Ehdr>(reader, 0);
  if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0) return kDamaged;
  // This build's class and byte order; the processor the program's own
  // image names, where the loader tells where that lies (the loader refuses
  // another processor's file before mapping it anyway).
  constexpr unsigned char kClass = sizeof(Ehdr) == sizeof(Elf64_Ehdr) ? ELFCLASS64 : ELFCLASS32;
  constexpr unsigned char kData = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
  const unsigned char fileClass = header->e_ident[EI_CLASS];
  if (fileClass != kClass && (fileClass == ELFCLASS32 || fileClass == ELFCLASS64)) {
    return LoadFailure{LoadFailure::Kind::kOtherWordSize, fileClass == ELFCLASS32 ? 32 : 64};
  }
  const Ehdr* own = OwnHeader();
  // e_type and e_machine lie at the same offsets in either class.
  if (fileClass != kClass || header->e_ident[EI_DATA] != kData || header->e_type != ET_DYN ||
      (own != nullptr && header->e_machine != own->e_machine)) {
    return LoadFailure{LoadFailure::Kind::kOtherMachine};
  }

  // Counts too large for the header's fields are kept in the first section header.
  uint64_t segments = header->e_phnum;
  uint64_t sections = header->e_shnum;
  if (header->e_shoff != 0 && (sections == 0 || segments == PN_XNUM)) {
    const auto first = ReadEntry<Shdr>(reader, header->e_shoff);
    if (!first) return kDamaged;
    if (sections == 0) sections = first->sh_size;
    if (segments == PN_XNUM) segments = first->sh_info;
  }
  if (!HoldsTable(reader, header->e_phoff, segments, header->e_phentsize, sizeof(Phdr)) ||
      !HoldsTable(reader, header->e_shoff, sections, header->e_shentsize, sizeof(Shdr))) {
    return kDamaged;
  }
  for (uint64_t i = 0; i < segments; ++i) {
    const auto segment = ReadEntry<Phdr>(reader, header->e_phoff + i * sizeof(Phdr));
    if (!segment || !Holds(reader, segment->p_offset, segment->p_filesz)) return kDamaged;
  }
  for (uint64_t i = 0; i < sections; ++i) {
    const auto section = ReadEntry<Shdr>(reader, header->e_shoff + i * sizeof(Shdr));
    if (!section) return kDamaged;
    // A section of no bytes in the file (.bss) only names where it lies in memory.
    if (section->sh_type != SHT_NOBITS && !Holds(reader, section->sh_offset, section->sh_size)) {
      return kDamaged;
    }
  }
  return std::nullopt;
}

}  // namespace vostrel
