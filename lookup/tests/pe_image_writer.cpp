#include "lookup/tests/pe_image_writer.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace peloc::testing {
namespace {

constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kFirstSectionRva = 0x1000;
constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kDllCharacteristics32 = 0x2102;  // executable image, 32-bit machine, DLL
constexpr uint16_t kDllCharacteristics64 = 0x2022;  // executable image, large address aware, DLL
constexpr uint16_t kSubsystemWindowsGui = 2;
constexpr uint32_t kNumberOfRvaAndSizes = 16;
constexpr uint32_t kCodeCharacteristics = 0x60000020;
constexpr uint32_t kReadOnlyDataCharacteristics = 0x40000040;
constexpr uint32_t kDataCharacteristics = 0xC0000040;

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

uint32_t U32Of(uint64_t value) {
  if (value > UINT32_MAX) throw std::out_of_range("image field does not fit 32 bits");
  return static_cast<uint32_t>(value);
}

// A growing byte buffer written little-endian at explicit offsets.
class Buffer {
 public:
  explicit Buffer(uint64_t size) : bytes_(static_cast<std::size_t>(size)) {}
  void U8(uint64_t at, uint8_t v) { bytes_.at(static_cast<std::size_t>(at)) = std::byte{v}; }
  void U16(uint64_t at, uint16_t v) {
    U8(at, static_cast<uint8_t>(v & 0xFF));
    U8(at + 1, static_cast<uint8_t>(v >> 8));
  }
  void U32(uint64_t at, uint32_t v) {
    U16(at, static_cast<uint16_t>(v & 0xFFFF));
    U16(at + 2, static_cast<uint16_t>(v >> 16));
  }
  void U64(uint64_t at, uint64_t v) {
    U32(at, static_cast<uint32_t>(v & 0xFFFFFFFF));
    U32(at + 4, static_cast<uint32_t>(v >> 32));
  }
  void Text(uint64_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) U8(at + i, static_cast<uint8_t>(text[i]));
  }
  std::vector<std::byte> Take() { return std::move(bytes_); }

 private:
  std::vector<std::byte> bytes_;
};

struct SectionPlan {
  std::string_view name;
  uint32_t VirtualAddress = 0;
  uint32_t VirtualSize = 0;
  uint32_t PointerToRawData = 0;
  uint32_t SizeOfRawData = 0;
  uint32_t Characteristics = 0;
};

}  // namespace

PeImage::PeImage(std::vector<std::byte> bytes, ImageLayout layout)
    : bytes_(std::move(bytes)), layout_(std::move(layout)) {}

uint64_t PeImage::SectionField(std::size_t index, uint64_t field) const {
  return layout_.sectionTable + index * section::kSize + field;
}

uint32_t PeImage::ExportDataRva(uint64_t offset) const {
  // Wraps like the 32-bit field it is written into.
  return static_cast<uint32_t>(uint64_t{layout_.exportRva} + offset - layout_.exportDirectory);
}

void PeImage::PokeU16(uint64_t offset, uint16_t value) {
  PokeBytes(offset, std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)});
}

void PeImage::PokeU32(uint64_t offset, uint32_t value) {
  PokeU16(offset, static_cast<uint16_t>(value & 0xFFFF));
  PokeU16(offset + 2, static_cast<uint16_t>(value >> 16));
}

void PeImage::PokeBytes(uint64_t offset, std::string_view bytes) {
  if (offset > bytes_.size() || bytes.size() > bytes_.size() - offset) throw std::out_of_range("poke past the image");
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes_[static_cast<std::size_t>(offset) + i] = static_cast<std::byte>(bytes[i]);
  }
}

void PeImage::CopyBytes(uint64_t from, uint64_t to, uint64_t length) {
  if (from > bytes_.size() || length > bytes_.size() - from || to > bytes_.size() || length > bytes_.size() - to) {
    throw std::out_of_range("copy past the image");
  }
  const std::vector<std::byte> piece(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(from + length));
  std::copy(piece.begin(), piece.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(to));
}

void PeImage::Truncate(uint64_t size) {
  if (size > bytes_.size()) throw std::out_of_range("truncate cannot grow the image");
  bytes_.resize(static_cast<std::size_t>(size));
}

uint64_t PeImage::Append(std::string_view bytes) {
  const uint64_t at = bytes_.size();
  for (const char c : bytes) bytes_.push_back(static_cast<std::byte>(c));
  return at;
}

uint16_t PeImage::U16(uint64_t offset) const {
  return static_cast<uint16_t>(std::to_integer<uint16_t>(bytes_.at(static_cast<std::size_t>(offset))) |
                               std::to_integer<uint16_t>(bytes_.at(static_cast<std::size_t>(offset + 1))) << 8);
}

uint32_t PeImage::U32(uint64_t offset) const { return uint32_t{U16(offset)} | uint32_t{U16(offset + 2)} << 16; }

void PeImage::SaveTo(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

PeImage WriteImage(const ImagePlan& plan) {
  const bool plus = plan.kind == PeKind::Pe32Plus;
  const std::size_t count = plan.exports.size();
  ImageLayout layout;

  // Headers: DOS header, NT headers at e_lfanew, then the section table right
  // after a standard-size optional header.
  layout.nt = plan.e_lfanew;
  layout.optionalHeader = layout.nt + nt::OptionalHeader;
  const uint16_t optionalSize = plus ? optional_header::kPe32PlusSize : optional_header::kPe32Size;
  layout.exportDataDirectory =
      layout.optionalHeader + (plus ? optional_header::Pe32PlusDataDirectory : optional_header::Pe32DataDirectory);
  layout.sectionTable = layout.optionalHeader + optionalSize;
  const std::size_t extra = plan.extraSectionsFirst.size();
  layout.numberOfSections = static_cast<uint16_t>(extra + 3);
  layout.textSection = extra;
  layout.exportSection = extra + 1;
  layout.dataSection = extra + 2;
  const uint64_t headersEnd = layout.sectionTable + layout.numberOfSections * section::kSize;
  const uint32_t sizeOfHeaders = U32Of(std::max<uint64_t>(0x400, AlignUp(headersEnd, kFileAlignment)));

  // .text: a stub that returns.
  SectionPlan text{".text", kFirstSectionRva, 0x10, sizeOfHeaders, kFileAlignment, kCodeCharacteristics};

  // .edata: directory, functions, names, ordinals, the DLL's name, the export
  // names, forwarder texts.
  const uint64_t functionsAt = export_directory::kSize;
  const uint64_t namesAt = functionsAt + 4 * count;
  const uint64_t ordinalsAt = namesAt + 4 * count;
  const uint64_t dllNameAt = AlignUp(ordinalsAt + 2 * count, 4);
  constexpr std::string_view kDllName = "writer.dll";
  uint64_t cursor = dllNameAt + kDllName.size() + 1;
  std::vector<uint64_t> nameAt(count);
  for (std::size_t k = 0; k < count; ++k) {
    nameAt[k] = cursor;
    cursor += plan.exports[k].name.size() + 1;
  }
  std::vector<uint64_t> itemAt(count);  // within .edata for forwarders, within .data otherwise
  for (std::size_t k = 0; k < count; ++k) {
    if (!plan.exports[k].forwarder) continue;
    itemAt[k] = cursor;
    cursor += plan.exports[k].data.size() + 1;
  }
  SectionPlan edata{".edata", kFirstSectionRva + kSectionAlignment, U32Of(cursor), text.PointerToRawData + text.SizeOfRawData,
                    U32Of(AlignUp(cursor, kFileAlignment)), kReadOnlyDataCharacteristics};

  // .data: each data export's bytes, zero-terminated, 4-aligned.
  uint64_t dataCursor = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (plan.exports[k].forwarder) continue;
    itemAt[k] = dataCursor;
    dataCursor = AlignUp(dataCursor + plan.exports[k].data.size() + 1, 4);
  }
  dataCursor = std::max<uint64_t>(dataCursor, 4);
  SectionPlan data{".data", U32Of(AlignUp(edata.VirtualAddress + edata.VirtualSize, kSectionAlignment)),
                   U32Of(dataCursor), edata.PointerToRawData + edata.SizeOfRawData,
                   U32Of(AlignUp(dataCursor, kFileAlignment)), kDataCharacteristics};
  const uint32_t sizeOfImage = U32Of(AlignUp(data.VirtualAddress + data.VirtualSize, kSectionAlignment));

  Buffer out(uint64_t{data.PointerToRawData} + data.SizeOfRawData);

  // DOS header
  out.Text(dos::e_magic, "MZ");
  out.U32(dos::e_lfanew, plan.e_lfanew);

  // NT headers
  out.Text(layout.nt + nt::Signature, std::string_view("PE\0\0", 4));
  out.U16(layout.nt + nt::Machine, plus ? kMachineAmd64 : kMachineI386);
  out.U16(layout.nt + nt::NumberOfSections, layout.numberOfSections);
  out.U16(layout.nt + nt::SizeOfOptionalHeader, optionalSize);
  out.U16(layout.nt + nt::Characteristics, plus ? kDllCharacteristics64 : kDllCharacteristics32);

  const uint64_t opt = layout.optionalHeader;
  out.U16(opt + optional_header::Magic, plus ? optional_header::kPe32PlusMagic : optional_header::kPe32Magic);
  out.U32(opt + optional_header::AddressOfEntryPoint, 0);
  out.U32(opt + optional_header::BaseOfCode, text.VirtualAddress);
  if (plus) {
    out.U64(opt + optional_header::Pe32PlusImageBase, 0x180000000);
  } else {
    out.U32(opt + optional_header::Pe32ImageBase, 0x10000000);
  }
  out.U32(opt + optional_header::SectionAlignment, kSectionAlignment);
  out.U32(opt + optional_header::FileAlignment, kFileAlignment);
  out.U16(opt + optional_header::MajorSubsystemVersion, 4);
  out.U32(opt + optional_header::SizeOfImage, sizeOfImage);
  out.U32(opt + optional_header::SizeOfHeaders, sizeOfHeaders);
  out.U16(opt + optional_header::Subsystem, kSubsystemWindowsGui);
  // Stack reserve/commit, heap reserve/commit.
  const std::array<uint32_t, 4> reserves{0x100000, 0x1000, 0x100000, 0x1000};
  for (std::size_t i = 0; i < reserves.size(); ++i) {
    if (plus) {
      out.U64(opt + optional_header::Pe32SizeOfStackReserve + 8 * i, reserves[i]);
    } else {
      out.U32(opt + optional_header::Pe32SizeOfStackReserve + 4 * i, reserves[i]);
    }
  }
  out.U32(opt + (plus ? optional_header::Pe32PlusNumberOfRvaAndSizes : optional_header::Pe32NumberOfRvaAndSizes),
          kNumberOfRvaAndSizes);
  layout.exportRva = edata.VirtualAddress;
  out.U32(layout.exportDataDirectory, edata.VirtualAddress);
  out.U32(layout.exportDataDirectory + 4, edata.VirtualSize);

  // Section table
  const auto writeHeader = [&](std::size_t index, std::string_view name, const ExtraSectionHeader& h,
                               uint32_t characteristics) {
    const uint64_t at = layout.sectionTable + index * section::kSize;
    out.Text(at + section::Name, name);
    out.U32(at + section::VirtualSize, h.VirtualSize);
    out.U32(at + section::VirtualAddress, h.VirtualAddress);
    out.U32(at + section::SizeOfRawData, h.SizeOfRawData);
    out.U32(at + section::PointerToRawData, h.PointerToRawData);
    out.U32(at + section::Characteristics, characteristics);
  };
  for (std::size_t i = 0; i < extra; ++i) writeHeader(i, ".extra", plan.extraSectionsFirst[i], kDataCharacteristics);
  std::size_t index = extra;
  for (const SectionPlan* planned : {&text, &edata, &data}) {
    writeHeader(index++, planned->name,
                {planned->VirtualSize, planned->VirtualAddress, planned->SizeOfRawData, planned->PointerToRawData},
                planned->Characteristics);
  }

  // .text body: xor eax, eax; ret; then int3 padding.
  out.Text(text.PointerToRawData, "\x31\xC0\xC3");
  for (uint32_t i = 3; i < text.VirtualSize; ++i) out.U8(text.PointerToRawData + i, 0xCC);

  // Export directory and its arrays.
  const auto edataRva = [&](uint64_t within) { return U32Of(edata.VirtualAddress + within); };
  const uint64_t dir = edata.PointerToRawData;
  layout.exportDirectory = dir;
  layout.functions = dir + functionsAt;
  layout.names = dir + namesAt;
  layout.ordinals = dir + ordinalsAt;
  out.U32(dir + export_directory::Name, edataRva(dllNameAt));
  out.U32(dir + export_directory::Base, plan.Base);
  out.U32(dir + export_directory::NumberOfFunctions, U32Of(count));
  out.U32(dir + export_directory::NumberOfNames, U32Of(count));
  out.U32(dir + export_directory::AddressOfFunctions, edataRva(functionsAt));
  out.U32(dir + export_directory::AddressOfNames, edataRva(namesAt));
  out.U32(dir + export_directory::AddressOfNameOrdinals, edataRva(ordinalsAt));
  out.Text(dir + dllNameAt, kDllName);

  for (std::size_t k = 0; k < count; ++k) {
    const ExportSpec& e = plan.exports[k];
    const auto function = static_cast<uint32_t>(count - 1 - k);
    const uint64_t itemOffset = (e.forwarder ? dir : data.PointerToRawData) + itemAt[k];
    const uint32_t itemRva = U32Of((e.forwarder ? edata.VirtualAddress : data.VirtualAddress) + itemAt[k]);
    out.U32(layout.names + 4 * k, edataRva(nameAt[k]));
    out.U16(layout.ordinals + 2 * k, static_cast<uint16_t>(function));
    out.U32(layout.functions + 4 * uint64_t{function}, itemRva);
    out.Text(dir + nameAt[k], e.name);
    out.Text(itemOffset, e.data);
    layout.nameOffsets.push_back(dir + nameAt[k]);
    layout.functionIndex.push_back(function);
    layout.dataOffsets.push_back(itemOffset);
    layout.dataRvas.push_back(itemRva);
  }
  return PeImage(out.Take(), std::move(layout));
}

ImagePlan MissionPlan(PeKind kind) {
  ImagePlan plan;
  plan.kind = kind;
  plan.exports = {
      {"TechtreeName", "Standard Techtree"},
      {"MapName", "Crater Basin"},
      {"LevelDesc", "Hold the ridge until the convoy arrives."},
      {"Version", "1.0"},
  };
  return plan;
}

}  // namespace peloc::testing
