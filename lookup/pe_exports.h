// The PE/COFF format: from an image file's bytes to the file offset of a named
// export's data. The only place that knows the layout of the headers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "lookup/byte_reader.h"

namespace peloc {

namespace pe {
// DOS header
inline constexpr uint16_t kDosMagic = 0x5A4D;  // "MZ"
inline constexpr int64_t kOffsetOf_e_magic = 0;
inline constexpr int64_t kOffsetOf_e_lfanew = 0x3C;
// NT headers, from e_lfanew
inline constexpr uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
inline constexpr int64_t kOffsetOfNumberOfSections = 6;
inline constexpr int64_t kOffsetOfOptionalHeader = 24;
inline constexpr uint16_t kPe32PlusMagic = 0x20B;
// First data-directory entry (exports) and the section table, by optional-header
// kind. PE32 images are read at the fixed positions of a standard 224-byte
// optional header whatever SizeOfOptionalHeader says; PE32+ at those of a
// standard 240-byte one.
inline constexpr int64_t kPe32ExportDirectory = 120;
inline constexpr int64_t kPe32SectionTable = 248;
inline constexpr int64_t kPe32PlusExportDirectory = 136;
inline constexpr int64_t kPe32PlusSectionTable = kOffsetOfOptionalHeader + 240;
inline constexpr int64_t kOffsetOfDataDirectorySize = 4;  // after its VirtualAddress
// Section table entry
inline constexpr int64_t kSectionHeaderSize = 40;
inline constexpr int64_t kOffsetOfVirtualSize = 8;
inline constexpr int64_t kOffsetOfVirtualAddress = 12;
inline constexpr int64_t kOffsetOfPointerToRawData = 20;
// Export directory
inline constexpr int64_t kOffsetOfNumberOfNames = 24;
inline constexpr int64_t kOffsetOfAddressOfFunctions = 28;
inline constexpr int64_t kOffsetOfAddressOfNames = 32;
inline constexpr int64_t kOffsetOfAddressOfNameOrdinals = 36;
}  // namespace pe

// Where the section table lies, as read from the NT headers.
struct SectionTable {
  int64_t offset = 0;
  int64_t count = 0;
};

// The first section (in table order) whose last byte is at or after the RVA
// decides: inside it the RVA maps to its raw data; before it (headers or a gap
// between sections) it maps nowhere. Membership is judged by VirtualSize, so a
// section with VirtualSize 0 never holds an RVA.
template <class Source>
std::optional<uint32_t> TranslateRva(const ByteReader<Source>& image, const SectionTable& sections, uint32_t rva) {
  for (int64_t i = 0; i < sections.count; ++i) {
    const int64_t section = sections.offset + i * pe::kSectionHeaderSize;
    const auto VirtualSize = image.U32(section + pe::kOffsetOfVirtualSize);
    const auto VirtualAddress = image.U32(section + pe::kOffsetOfVirtualAddress);
    const auto PointerToRawData = image.U32(section + pe::kOffsetOfPointerToRawData);
    if (!VirtualSize || !VirtualAddress || !PointerToRawData) return std::nullopt;
    const int64_t lastByte = int64_t{*VirtualAddress} + int64_t{*VirtualSize} - 1;
    if (lastByte < int64_t{rva}) continue;
    if (*VirtualAddress > rva) return std::nullopt;
    const int64_t offset = int64_t{rva} - int64_t{*VirtualAddress} + int64_t{*PointerToRawData};
    if (offset > int64_t{UINT32_MAX}) return std::nullopt;  // not a 32-bit file offset
    return static_cast<uint32_t>(offset);
  }
  return std::nullopt;
}

// What the DOS and NT headers say.
struct Headers {
  SectionTable sections;
  uint32_t exportRva = 0;
  // The export data's extent as the data-directory entry gives it (0 when it
  // cannot be read). It decides only what is read ahead: the lookup reads any
  // byte it needs wherever it lies.
  uint32_t exportSize = 0;
};

// Reads the DOS and NT headers; empty when the file is no PE image or its
// section table does not lie inside the file.
template <class Source>
std::optional<Headers> ReadHeaders(const ByteReader<Source>& image) {
  if (image.U16(pe::kOffsetOf_e_magic) != pe::kDosMagic) return std::nullopt;
  const auto e_lfanew = image.U32(pe::kOffsetOf_e_lfanew);
  if (!e_lfanew || *e_lfanew == 0) return std::nullopt;
  const int64_t nt = *e_lfanew;
  if (image.U32(nt) != pe::kNtSignature) return std::nullopt;

  const bool pe32Plus = image.U16(nt + pe::kOffsetOfOptionalHeader) == pe::kPe32PlusMagic;
  const auto NumberOfSections = image.U16(nt + pe::kOffsetOfNumberOfSections);
  const int64_t exportEntry = nt + (pe32Plus ? pe::kPe32PlusExportDirectory : pe::kPe32ExportDirectory);
  const auto exportRva = image.U32(exportEntry);
  if (!NumberOfSections || !exportRva) return std::nullopt;
  const SectionTable sections{nt + (pe32Plus ? pe::kPe32PlusSectionTable : pe::kPe32SectionTable),
                              int64_t{*NumberOfSections}};
  if (!image.Contains(sections.offset, static_cast<uint64_t>(sections.count * pe::kSectionHeaderSize)))
    return std::nullopt;
  return Headers{sections, *exportRva, image.U32(exportEntry + pe::kOffsetOfDataDirectorySize).value_or(0)};
}

// File offset of the data of the export `name`; 0 when there is none or the
// image's structures lead outside the file.
template <class Source>
uint32_t FindExportOffset(const ByteReader<Source>& image, std::string_view name) {
  const auto headers = ReadHeaders(image);
  if (!headers) return 0;
  // Plain names, not a structured binding: the lambda below captures exportRva,
  // which clang before 16 refuses for bindings.
  const SectionTable& sections = headers->sections;
  const uint32_t exportRva = headers->exportRva;
  const auto directory = TranslateRva(image, sections, exportRva);
  if (!directory || *directory == 0) return 0;
  // The export data's extent as its data-directory entry gives it, in one
  // piece: the directory, its arrays and the names, as linkers lay them out.
  const uint64_t exportDataInFile = std::min<uint64_t>(headers->exportSize, image.size() - uint64_t{*directory});
  const auto exportData = image.Contains(*directory, 0) ? image.View(*directory, exportDataInFile) : std::nullopt;

  // RVAs inside the export data are taken to lie at the same distance from the
  // directory in the file as in memory, that is, in the directory's own section.
  const auto inExportData = [&](uint32_t rva) { return int64_t{*directory} + int64_t{rva} - int64_t{exportRva}; };
  const auto NumberOfNames = image.U32(*directory + pe::kOffsetOfNumberOfNames);
  const auto AddressOfFunctions = image.U32(*directory + pe::kOffsetOfAddressOfFunctions);
  const auto AddressOfNames = image.U32(*directory + pe::kOffsetOfAddressOfNames);
  const auto AddressOfNameOrdinals = image.U32(*directory + pe::kOffsetOfAddressOfNameOrdinals);
  if (!NumberOfNames || !AddressOfFunctions || !AddressOfNames || !AddressOfNameOrdinals) return 0;

  // The walk reads the names array, as much of it as lies in the file, and
  // the names it points at from one view each where the image gives them:
  // the export data, or else the span of the names the array points at.
  // Names the views show to differ are passed over there; any other entry is
  // read through the image.
  const int64_t names = inExportData(*AddressOfNames);
  const uint64_t inFile = image.Contains(names, 0) ? (image.size() - static_cast<uint64_t>(names)) / 4 : 0;
  const uint64_t viewed = std::min<uint64_t>(*NumberOfNames, inFile);
  const auto namesArray = image.View(names, 4 * viewed);
  std::optional<ByteView> nameStrings = exportData;
  if (namesArray && !nameStrings) {
    const auto [lowest, highest] = namesArray->U32Bounds(names, viewed);
    const int64_t first = std::max<int64_t>(inExportData(lowest), 0);
    const int64_t end = std::min<int64_t>(inExportData(highest) + static_cast<int64_t>(name.size()) + 1,
                                          static_cast<int64_t>(image.size()));
    if (first < end) nameStrings = image.View(first, static_cast<uint64_t>(end - first));
  }

  // Linear search in table order; the first match wins.
  for (uint32_t i = 0; i < *NumberOfNames; ++i) {
    if (namesArray && nameStrings && i < viewed) {
      i = static_cast<uint32_t>(namesArray->FirstNotDiffering(names, i, viewed, inExportData(0), *nameStrings, name));
      if (i == *NumberOfNames) break;
    }
    const auto nameRva = image.U32(names + 4 * int64_t{i});
    if (!nameRva) return 0;
    const auto matches = image.EqualsCString(inExportData(*nameRva), name);
    if (!matches) return 0;
    if (!*matches) continue;

    // The ordinal indexes the functions array as stored: no ordinal base applies.
    const auto index = image.U16(inExportData(*AddressOfNameOrdinals) + 2 * int64_t{i});
    if (!index) return 0;
    const auto targetRva = image.U32(inExportData(*AddressOfFunctions) + 4 * int64_t{*index});
    if (!targetRva) return 0;
    // The target is not examined: a forwarder yields its forwarder text's offset.
    return TranslateRva(image, sections, *targetRva).value_or(0);
  }
  return 0;
}

// Each of `count` names looked up in the same image, each as FindExportOffset
// looks it up alone (a null name finds nothing): what the image's source has
// read for one name serves the next. How many were found.
template <class Source>
uint32_t FindExportOffsets(const ByteReader<Source>& image, const char* const* names, uint32_t count,
                           uint32_t* offsets) {
  uint32_t found = 0;
  for (uint32_t i = 0; i < count; ++i) {
    offsets[i] = names[i] == nullptr ? 0 : FindExportOffset(image, std::string_view(names[i]));
    found += offsets[i] != 0;
  }
  return found;
}

}  // namespace peloc
