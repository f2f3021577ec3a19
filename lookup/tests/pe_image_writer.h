// Test-only: writes small PE images field by field, with a named export table,
// and lets a test overwrite any field afterwards to make the image malformed.
// The field positions here are written out from the PE/COFF documentation on
// their own, not taken from the reader under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace peloc::testing {

// Field positions, relative to the start of the structure named.
namespace dos {
inline constexpr uint64_t e_magic = 0x00;
inline constexpr uint64_t e_lfanew = 0x3C;
inline constexpr uint64_t kSize = 0x40;
}  // namespace dos
namespace nt {  // from e_lfanew: signature, file header, optional header
inline constexpr uint64_t Signature = 0;
inline constexpr uint64_t Machine = 4;
inline constexpr uint64_t NumberOfSections = 6;
inline constexpr uint64_t SizeOfOptionalHeader = 20;
inline constexpr uint64_t Characteristics = 22;
inline constexpr uint64_t OptionalHeader = 24;
}  // namespace nt
namespace optional_header {  // from the optional header; the same in both kinds unless named
inline constexpr uint64_t Magic = 0;
inline constexpr uint64_t AddressOfEntryPoint = 16;
inline constexpr uint64_t BaseOfCode = 20;
inline constexpr uint64_t Pe32ImageBase = 28;
inline constexpr uint64_t Pe32PlusImageBase = 24;
inline constexpr uint64_t SectionAlignment = 32;
inline constexpr uint64_t FileAlignment = 36;
inline constexpr uint64_t MajorSubsystemVersion = 48;
inline constexpr uint64_t SizeOfImage = 56;
inline constexpr uint64_t SizeOfHeaders = 60;
inline constexpr uint64_t Subsystem = 68;
inline constexpr uint64_t Pe32SizeOfStackReserve = 72;  // four sizes, 4 bytes each in PE32, 8 in PE32+
inline constexpr uint64_t Pe32NumberOfRvaAndSizes = 92;
inline constexpr uint64_t Pe32PlusNumberOfRvaAndSizes = 108;
inline constexpr uint64_t Pe32DataDirectory = 96;
inline constexpr uint64_t Pe32PlusDataDirectory = 112;
inline constexpr uint16_t kPe32Size = 224;
inline constexpr uint16_t kPe32PlusSize = 240;
inline constexpr uint16_t kPe32Magic = 0x10B;
inline constexpr uint16_t kPe32PlusMagic = 0x20B;
}  // namespace optional_header
namespace section {
inline constexpr uint64_t Name = 0;
inline constexpr uint64_t VirtualSize = 8;
inline constexpr uint64_t VirtualAddress = 12;
inline constexpr uint64_t SizeOfRawData = 16;
inline constexpr uint64_t PointerToRawData = 20;
inline constexpr uint64_t Characteristics = 36;
inline constexpr uint64_t kSize = 40;
}  // namespace section
namespace export_directory {
inline constexpr uint64_t Name = 12;
inline constexpr uint64_t Base = 16;
inline constexpr uint64_t NumberOfFunctions = 20;
inline constexpr uint64_t NumberOfNames = 24;
inline constexpr uint64_t AddressOfFunctions = 28;
inline constexpr uint64_t AddressOfNames = 32;
inline constexpr uint64_t AddressOfNameOrdinals = 36;
inline constexpr uint64_t kSize = 40;
}  // namespace export_directory

enum class PeKind { Pe32, Pe32Plus };

// One named export. Its function RVA points at `data` (zero-terminated) in the
// .data section, or, for a forwarder, at `data` as forwarder text inside the
// export data, as linkers write "OTHER.Function".
struct ExportSpec {
  std::string name;  // as stored, without its terminator
  std::string data;
  bool forwarder = false;
};

// A section header with no section body, placed ahead of the image's own
// sections in the table.
struct ExtraSectionHeader {
  uint32_t VirtualSize = 0;
  uint32_t VirtualAddress = 0;
  uint32_t SizeOfRawData = 0;
  uint32_t PointerToRawData = 0;
};

struct ImagePlan {
  PeKind kind = PeKind::Pe32;
  uint32_t e_lfanew = 0x80;
  uint32_t Base = 1;  // the ordinal base, which ordinals as stored do not include
  std::vector<ExportSpec> exports;
  std::vector<ExtraSectionHeader> extraSectionsFirst;
};

// Where the writer put things: file offsets unless named RVA.
struct ImageLayout {
  uint64_t nt = 0;
  uint64_t optionalHeader = 0;
  uint64_t exportDataDirectory = 0;  // DataDirectory[0]: VirtualAddress, then Size
  uint64_t sectionTable = 0;
  uint16_t numberOfSections = 0;
  std::size_t textSection = 0;  // indices into the section table
  std::size_t exportSection = 0;
  std::size_t dataSection = 0;
  uint32_t exportRva = 0;
  uint64_t exportDirectory = 0;
  uint64_t functions = 0;
  uint64_t names = 0;
  uint64_t ordinals = 0;
  // Per export, in ExportSpec order (the order of the names array):
  std::vector<uint64_t> nameOffsets;
  std::vector<uint32_t> functionIndex;  // the ordinal stored for it
  std::vector<uint64_t> dataOffsets;    // where its data (or forwarder text) lies
  std::vector<uint32_t> dataRvas;
};

class PeImage {
 public:
  PeImage(std::vector<std::byte> bytes, ImageLayout layout);

  const ImageLayout& layout() const { return layout_; }
  const std::vector<std::byte>& bytes() const { return bytes_; }
  uint64_t size() const { return bytes_.size(); }

  // File offset of the header of section `index` in the table, plus `field`.
  uint64_t SectionField(std::size_t index, uint64_t field) const;
  // File offset of a field of the export directory.
  uint64_t DirectoryField(uint64_t field) const { return layout_.exportDirectory + field; }
  // The RVA that, located beside the export directory, lands on file offset `offset`.
  uint32_t ExportDataRva(uint64_t offset) const;

  // Editing; each throws std::out_of_range rather than grow the image silently.
  void PokeU16(uint64_t offset, uint16_t value);
  void PokeU32(uint64_t offset, uint32_t value);
  void PokeBytes(uint64_t offset, std::string_view bytes);
  void CopyBytes(uint64_t from, uint64_t to, uint64_t length);
  void Truncate(uint64_t size);
  uint64_t Append(std::string_view bytes);  // returns the offset of the first byte appended

  uint16_t U16(uint64_t offset) const;
  uint32_t U32(uint64_t offset) const;

  void SaveTo(const std::filesystem::path& path) const;

 private:
  std::vector<std::byte> bytes_;
  ImageLayout layout_;
};

// Lays out DOS header, NT headers, section table (.text, .edata, .data after any
// extra headers) and the export table of `plan`. The functions array is stored
// in the reverse of the names' order, so an ordinal never equals its name's index
// (with more than one export).
PeImage WriteImage(const ImagePlan& plan);

// The three mission texts and one more export, names deliberately unsorted.
ImagePlan MissionPlan(PeKind kind = PeKind::Pe32);

}  // namespace peloc::testing
