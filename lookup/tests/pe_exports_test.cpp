// The PE reader over images written field by field: each row changes one thing
// about a well-formed image and says what the lookup must give.
#include "lookup/pe_exports.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/byte_reader.h"
#include "lookup/tests/pe_image_writer.h"
#include "lookup/tests/test_files.h"
#include "peloc/peloc.h"

namespace peloc::testing {
namespace {

uint32_t Lookup(const std::vector<std::byte>& bytes, std::string_view name) {
  MemoryBytes source(bytes);
  const ByteReader<MemoryBytes> image(source);
  return FindExportOffset(image, name);
}

std::size_t IndexOf(const ImagePlan& plan, std::string_view name) {
  for (std::size_t k = 0; k < plan.exports.size(); ++k) {
    if (plan.exports[k].name == name) return k;
  }
  throw std::invalid_argument("no such export in the plan");
}

using Expectation = std::function<uint64_t(const PeImage&, const ImagePlan&)>;

Expectation Zero() {
  return [](const PeImage&, const ImagePlan&) { return uint64_t{0}; };
}
// The data (or forwarder text) the writer placed for the k-th export.
Expectation DataAt(std::size_t k) {
  return [k](const PeImage& image, const ImagePlan&) { return image.layout().dataOffsets.at(k); };
}
Expectation DataOf(std::string name) {
  return [name](const PeImage& image, const ImagePlan& plan) { return image.layout().dataOffsets.at(IndexOf(plan, name)); };
}

struct Row {
  std::string id;
  std::string lookup;
  Expectation expected;
  std::function<void(PeImage&)> change = [](PeImage&) {};
  std::function<void(ImagePlan&)> write = [](ImagePlan&) {};
  PeKind kind = PeKind::Pe32;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.id; }

// Field offsets used by several rows.
uint64_t NamesEntry(const PeImage& image, std::size_t k) { return image.layout().names + 4 * k; }
uint64_t OrdinalsEntry(const PeImage& image, std::size_t k) { return image.layout().ordinals + 2 * k; }
uint64_t FunctionsEntry(const PeImage& image, uint32_t index) { return image.layout().functions + 4 * uint64_t{index}; }
uint64_t Magic(const PeImage& image) { return image.layout().optionalHeader; }
uint64_t SizeOfOptionalHeader(const PeImage& image) { return image.layout().nt + nt::SizeOfOptionalHeader; }
uint64_t NumberOfSections(const PeImage& image) { return image.layout().nt + nt::NumberOfSections; }
uint64_t ExportSectionField(const PeImage& image, uint64_t field) {
  return image.SectionField(image.layout().exportSection, field);
}
uint64_t DataSectionField(const PeImage& image, uint64_t field) {
  return image.SectionField(image.layout().dataSection, field);
}
// In MissionPlan order: TechtreeName, MapName, LevelDesc, Version.
constexpr std::size_t kMap = 1, kLevelDesc = 2, kVersion = 3;

std::vector<Row> Rows() {
  std::vector<Row> rows;
  const auto add = [&rows](Row row) { rows.push_back(std::move(row)); };

  // Well-formed images, both kinds; the names are not sorted, so only a search
  // of the whole table finds each one.
  for (const auto& [kind, prefix] : {std::pair{PeKind::Pe32, "Pe32"}, std::pair{PeKind::Pe32Plus, "Pe32Plus"}}) {
    for (const char* name : {"TechtreeName", "MapName", "LevelDesc", "Version"}) {
      add({.id = std::string(prefix) + "Finds" + name, .lookup = name, .expected = DataOf(name), .kind = kind});
    }
  }

  // DOS and NT headers
  add({.id = "EmptyBuffer", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) { i.Truncate(0); }});
  add({.id = "OneByte", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) { i.Truncate(1); }});
  add({.id = "NoMz", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(dos::e_magic, 0x4D5A); }});
  add({.id = "LfanewZero", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(dos::e_lfanew, 0); }});
  add({.id = "LfanewPastEnd", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(dos::e_lfanew, static_cast<uint32_t>(i.size())); }});
  add({.id = "LfanewSignatureCutByEnd", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         const uint64_t at = i.size() - 2;
         i.PokeBytes(at, "PE");
         i.PokeU32(dos::e_lfanew, static_cast<uint32_t>(at));
       }});
  add({.id = "LfanewMaximal", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(dos::e_lfanew, 0xFFFFFFFF); }});
  add({.id = "BadSignature", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeBytes(i.layout().nt, std::string_view("PE\0\1", 4)); }});
  add({.id = "SignatureWithoutZeroes", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeBytes(i.layout().nt, "PEPE"); }});
  add({.id = "HeadersFarFromDosHeader", .lookup = "MapName", .expected = DataOf("MapName"),
       .write = [](ImagePlan& s) { s.e_lfanew = 0x1F0; }});

  // Optional header kind and the fixed positions read for each
  add({.id = "Pe32SmallSizeOfOptionalHeader", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) { i.PokeU16(SizeOfOptionalHeader(i), 0x60); }});
  add({.id = "Pe32LargeSizeOfOptionalHeader", .lookup = "LevelDesc", .expected = DataOf("LevelDesc"),
       .change = [](PeImage& i) { i.PokeU16(SizeOfOptionalHeader(i), 0xFFFF); }});
  add({.id = "Pe32PlusOddSizeOfOptionalHeader", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) { i.PokeU16(SizeOfOptionalHeader(i), 0xE0); }, .kind = PeKind::Pe32Plus});
  add({.id = "UnknownMagicReadAsPe32", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) { i.PokeU16(Magic(i), 0x107); }});
  add({.id = "Pe32ImageMarkedPe32Plus", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(Magic(i), optional_header::kPe32PlusMagic); }});
  add({.id = "Pe32PlusImageMarkedPe32", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(Magic(i), optional_header::kPe32Magic); }, .kind = PeKind::Pe32Plus});
  add({.id = "OptionalHeaderMagicCutByEnd", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.Truncate(i.layout().optionalHeader + 1); }});

  // Section table
  add({.id = "NoSections", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(NumberOfSections(i), 0); }});
  add({.id = "SectionTableEndsPastEndOfFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // The sections the lookup needs are all there; the table's end is not.
         const uint64_t fit = (i.size() - i.layout().sectionTable) / section::kSize;
         i.PokeU16(NumberOfSections(i), static_cast<uint16_t>(fit + 1));
       }});
  add({.id = "SectionTableFillsFileExactly", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) {
         // The table now runs into the sections' bytes, but the lookup stops
         // at the image's own three entries, which come first.
         const uint64_t fit = (i.size() - i.layout().sectionTable) / section::kSize;
         i.Truncate(i.layout().sectionTable + fit * section::kSize);
         i.PokeU16(NumberOfSections(i), static_cast<uint16_t>(fit));
       }});
  add({.id = "MaximalSectionCount", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(NumberOfSections(i), 0xFFFF); }});

  // Translating the export directory's RVA
  // The export data's size only decides what is read ahead: whatever it says,
  // names, arrays and strings outside it are still read.
  for (const auto& [id, size] : {std::pair{"ExportSizeZero", 0u}, std::pair{"ExportSizeCutsNames", 48u},
                                 std::pair{"ExportSizePastEndOfFile", 0xFFFFFFFFu}}) {
    add({.id = id, .lookup = "LevelDesc", .expected = DataOf("LevelDesc"),
         .change = [size](PeImage& i) { i.PokeU32(i.layout().exportDataDirectory + 4, size); }});
  }
  add({.id = "NoExportDirectory", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(i.layout().exportDataDirectory, 0); }});
  add({.id = "ExportRvaInHeaders", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // A copy of the directory where the RVA would land if headers mapped 1:1.
         i.CopyBytes(i.layout().exportDirectory, 0x300, export_directory::kSize);
         i.PokeU32(i.layout().exportDataDirectory, 0x300);
       }});
  add({.id = "ExportRvaPastEverySection", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(i.layout().exportDataDirectory, 0x100000); }});
  add({.id = "ExportRvaPastVirtualSizeInsideRawData", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // .text is 0x10 bytes in memory but 0x200 in the file; 0x1100 is in the gap before .edata.
         i.PokeU32(i.layout().exportDataDirectory, 0x1100);
       }});
  add({.id = "ExportDirectoryAtFileOffsetZero", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) {
         // .edata's raw data said to start at offset 0, where a complete
         // directory is built inside the DOS header (its fields from +24 on)
         // with arrays after it and the names where they were: only the rule
         // that offset 0 holds no directory refuses it.
         const ImageLayout& l = i.layout();
         i.PokeU32(ExportSectionField(i, section::PointerToRawData), 0);
         constexpr uint64_t names = 0x40, ordinals = 0x60, functions = 0x70;
         i.PokeU32(export_directory::NumberOfNames, 4);
         i.PokeU32(export_directory::AddressOfFunctions, l.exportRva + functions);
         i.PokeU32(export_directory::AddressOfNames, l.exportRva + names);
         i.PokeU32(export_directory::AddressOfNameOrdinals, l.exportRva + ordinals);
         for (std::size_t k = 0; k < 4; ++k) {
           i.PokeU32(names + 4 * k, l.exportRva + static_cast<uint32_t>(l.nameOffsets[k]));
         }
         i.CopyBytes(l.ordinals, ordinals, 2 * 4);
         i.CopyBytes(l.functions, functions, 4 * 4);
       },
       .write = [](ImagePlan& s) { s.e_lfanew = 0x1F0; }});
  add({.id = "SectionsOutOfOrderFirstEndingAfterRvaDecides", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) {
         // Swap the .edata and .data headers: .data ends after the export RVA but starts after it too.
         const uint64_t e = i.SectionField(i.layout().exportSection, 0);
         const uint64_t d = i.SectionField(i.layout().dataSection, 0);
         const uint64_t scratch = i.Append(std::string(section::kSize, '\0'));
         i.CopyBytes(e, scratch, section::kSize);
         i.CopyBytes(d, e, section::kSize);
         i.CopyBytes(scratch, d, section::kSize);
       }});
  add({.id = "VirtualSizeZeroSectionSkipped", .lookup = "MapName", .expected = DataOf("MapName"),
       .write = [](ImagePlan& s) {
         // Same RVA as .edata, raw data pointing at the DOS header.
         s.extraSectionsFirst.push_back({.VirtualSize = 0, .VirtualAddress = 0x2000, .SizeOfRawData = 0x200,
                                         .PointerToRawData = 0});
       }});
  add({.id = "SectionEndPast4GiBNotWrapped", .lookup = "MapName", .expected = Zero(), .write = [](ImagePlan& s) {
         // Ends at 0x1'00000FFF: wrapped to 32 bits it would end before every RVA and be passed over.
         s.extraSectionsFirst.push_back({.VirtualSize = 0x2000, .VirtualAddress = 0xFFFFF000, .SizeOfRawData = 0x200,
                                         .PointerToRawData = 0x400});
       }});

  // The export directory itself
  add({.id = "ExportDirectoryRunsOffFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // Only AddressOfNameOrdinals' last bytes fall outside.
         i.Truncate(i.layout().exportDirectory + export_directory::AddressOfNameOrdinals + 2);
       }});
  add({.id = "ExportDirectoryPastEndOfFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(ExportSectionField(i, section::PointerToRawData), static_cast<uint32_t>(i.size()));
       }});

  // The names array and the names
  add({.id = "NoNames", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::NumberOfNames), 0); }});
  add({.id = "NamesArrayOffFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(i.DirectoryField(export_directory::AddressOfNames), i.ExportDataRva(i.size() - 2));
       }});
  add({.id = "NamesArrayBelowExportData", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // AddressOfNames - exportRva is negative and reaches before the file's start.
         i.PokeU32(i.DirectoryField(export_directory::AddressOfNames), i.layout().exportRva - 0x1000);
       }});
  add({.id = "NameRvaOffFile", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.size())); }});
  add({.id = "NameRvaBelowExportRva", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // rva - exportRva is negative: one byte before the file.
         i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(0) - 1);
       }});
  add({.id = "NameRvaZero", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(NamesEntry(i, kMap), 0); }});
  add({.id = "EarlierNameFoundBeforeBrokenEntry", .lookup = "TechtreeName", .expected = DataOf("TechtreeName"),
       .change = [](PeImage& i) { i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.size())); }});
  add({.id = "LaterNameBehindBrokenEntry", .lookup = "LevelDesc", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.size())); }});
  add({.id = "NameUnterminatedAtEndOfFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.Append("MapName")));
       }});
  add({.id = "NamePrefixUnterminatedAtEndOfFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.Append("Map")));
       }});
  add({.id = "NameTerminatedByLastByteOfFile", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) {
         i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(i.Append(std::string_view("MapName\0", 8))));
       }});
  add({.id = "ExportDataLocatedBesideDirectoryNotBySection", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) {
         // Past the end of .edata's raw data and virtual size: only the
         // distance from the directory finds it.
         const uint64_t at = i.Append(std::string(0x300, 'x'));
         i.PokeBytes(at + 0x200, std::string_view("MapName\0", 8));
         i.PokeU32(NamesEntry(i, kMap), i.ExportDataRva(at + 0x200));
       }});

  // Comparing names
  add({.id = "OtherCase", .lookup = "mapname", .expected = Zero()});
  add({.id = "PrefixOfStoredName", .lookup = "Map", .expected = Zero()});
  add({.id = "LongerThanStoredName", .lookup = "MapNameX", .expected = Zero()});
  add({.id = "EmptyName", .lookup = "", .expected = Zero()});
  add({.id = "StoredNameLonger", .lookup = "MapName", .expected = Zero(),
       .write = [](ImagePlan& s) { s.exports[kMap].name = "MapNames"; }});
  add({.id = "StoredNameShorter", .lookup = "MapName", .expected = Zero(),
       .write = [](ImagePlan& s) { s.exports[kMap].name = "MapNam"; }});
  add({.id = "HighBytesComparedExactly", .lookup = "Karte\xE9", .expected = DataOf("Karte\xE9"),
       .write = [](ImagePlan& s) { s.exports.push_back({"Karte\xC9", "upper"}); s.exports.push_back({"Karte\xE9", "lower"}); }});
  add({.id = "FirstOfDuplicateNamesWins", .lookup = "MapName", .expected = DataAt(kMap), .write = [](ImagePlan& s) {
         s.exports.push_back({"MapName", "Second Basin"});
       }});

  // Ordinals and functions
  add({.id = "OrdinalUsedAsStored", .lookup = "MapName", .expected = DataOf("Version"), .change = [](PeImage& i) {
         i.PokeU16(OrdinalsEntry(i, kMap), static_cast<uint16_t>(i.layout().functionIndex[kVersion]));
       }});
  add({.id = "OrdinalBaseNotApplied", .lookup = "MapName", .expected = DataOf("MapName"),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::Base), 2); }});
  add({.id = "NumberOfFunctionsNotConsulted", .lookup = "Version", .expected = DataOf("Version"),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::NumberOfFunctions), 0); }});
  add({.id = "OrdinalsEntryHalfOffFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // MapName's ordinal would be the file's last byte and one more.
         i.PokeU32(i.DirectoryField(export_directory::AddressOfNameOrdinals), i.ExportDataRva(i.size() - 2 * kMap - 1));
       }});
  add({.id = "OrdinalPastFunctionsInFile", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU16(OrdinalsEntry(i, kMap), 0xFFFF); }});
  add({.id = "FunctionsArrayOffFile", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(i.DirectoryField(export_directory::AddressOfFunctions), i.ExportDataRva(i.size()));
       }});
  add({.id = "FunctionsArrayBelowFileStart", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(i.DirectoryField(export_directory::AddressOfFunctions), i.ExportDataRva(0) - 0x100);
       }});
  add({.id = "ForwarderYieldsItsText", .lookup = "MapName", .expected = DataOf("MapName"),
       .write = [](ImagePlan& s) { s.exports[kMap] = {"MapName", "OTHER.MapName", true}; }});
  add({.id = "TargetTranslatedThroughItsSection", .lookup = "Version",
       .expected = [](const PeImage& i, const ImagePlan&) { return i.layout().dataOffsets[kVersion] + 0x40; },
       .change = [](PeImage& i) {
         // Moving .data's raw data moves the result; the export data stay put.
         const uint64_t field = DataSectionField(i, section::PointerToRawData);
         i.PokeU32(field, i.U32(field) + 0x40);
       }});
  add({.id = "TargetPastEndOfFileNotExamined", .lookup = "MapName", .expected = [](const PeImage& i, const ImagePlan&) {
         return uint64_t{i.U32(DataSectionField(i, section::PointerToRawData))} + 0x8000;
       },
       .change = [](PeImage& i) {
         i.PokeU32(DataSectionField(i, section::VirtualSize), 0x10000);
         const uint32_t rva = i.U32(DataSectionField(i, section::VirtualAddress)) + 0x8000;
         i.PokeU32(FunctionsEntry(i, i.layout().functionIndex[kMap]), rva);
       }});
  add({.id = "TargetOutsideEverySection", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         i.PokeU32(FunctionsEntry(i, i.layout().functionIndex[kMap]), 0x00F00000);
       }});
  add({.id = "TargetInHeaders", .lookup = "MapName", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(FunctionsEntry(i, i.layout().functionIndex[kMap]), 0x10); }});
  add({.id = "TargetOffsetPast4GiB", .lookup = "MapName", .expected = Zero(), .change = [](PeImage& i) {
         // PointerToRawData + (rva - VirtualAddress) is 2^32 + 4; wrapped it would be 4.
         const uint32_t within = i.layout().dataRvas[kMap] - i.U32(DataSectionField(i, section::VirtualAddress));
         ASSERT_GE(within, 5u);
         i.PokeU32(DataSectionField(i, section::PointerToRawData), static_cast<uint32_t>(0x1'00000004ULL - within));
       }});
  add({.id = "TargetOffsetJustBelow4GiB", .lookup = "MapName", .expected = [](const PeImage&, const ImagePlan&) {
         return uint64_t{0xFFFFFFFF};
       },
       .change = [](PeImage& i) {
         const uint32_t within = i.layout().dataRvas[kMap] - i.U32(DataSectionField(i, section::VirtualAddress));
         i.PokeU32(DataSectionField(i, section::PointerToRawData), 0xFFFFFFFF - within);
       }});

  // A NumberOfNames far beyond the array: a listed name is still found, an
  // absent one ends when the array runs off the file.
  add({.id = "HugeNumberOfNamesListedName", .lookup = "LevelDesc", .expected = DataOf("LevelDesc"),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::NumberOfNames), 0xFFFFFFFF); }});
  add({.id = "HugeNumberOfNamesAbsentName", .lookup = "Missing", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::NumberOfNames), 0xFFFFFFFF); }});
  add({.id = "NumberOfNamesOneShort", .lookup = "Version", .expected = Zero(),
       .change = [](PeImage& i) { i.PokeU32(i.DirectoryField(export_directory::NumberOfNames), 3); }});
  return rows;
}

class FindExportOffsetTest : public ::testing::TestWithParam<Row> {};

TEST_P(FindExportOffsetTest, Row) {
  const Row& row = GetParam();
  ImagePlan plan = MissionPlan(row.kind);
  row.write(plan);
  PeImage image = WriteImage(plan);
  // Expectations refer to the image as written, before the row breaks it.
  const PeImage written = image;
  row.change(image);
  if (::testing::Test::HasFatalFailure()) return;
  const uint64_t expected = row.expected(written, plan);
  EXPECT_EQ(Lookup(image.bytes(), row.lookup), expected) << "looking up \"" << row.lookup << '"';
  // The same through the file reader, with its own reads and fallbacks.
  const TempDir dir;
  image.SaveTo(dir / "image.dll");
  EXPECT_EQ(GetOffset((dir / "image.dll").string().c_str(), row.lookup.c_str()), expected) << "from the file";
}

INSTANTIATE_TEST_SUITE_P(Images, FindExportOffsetTest, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row>& row) { return row.param.id; });

// Every listed name, in a table large enough that a sorted-order or
// first-few-entries shortcut would miss some.
TEST(FindExportOffset, EveryNameOfALargeTable) {
  for (const PeKind kind : {PeKind::Pe32, PeKind::Pe32Plus}) {
    ImagePlan plan;
    plan.kind = kind;
    for (int k = 0; k < 500; ++k) {
      const std::string n = std::to_string((k * 7919) % 500);
      plan.exports.push_back({"Export_" + n, "data of " + n});
    }
    const PeImage image = WriteImage(plan);
    for (std::size_t k = 0; k < plan.exports.size(); ++k) {
      ASSERT_EQ(Lookup(image.bytes(), plan.exports[k].name), image.layout().dataOffsets[k]) << plan.exports[k].name;
    }
    EXPECT_EQ(Lookup(image.bytes(), "Export_500"), 0u);
  }
}

// Every prefix of a well-formed image: whatever the cut, the lookup either
// reads no further than the cut or gives 0, and once everything it needs is
// inside, the answer is the full image's.
TEST(FindExportOffset, EveryTruncation) {
  const ImagePlan plan = MissionPlan();
  const PeImage image = WriteImage(plan);
  const uint64_t expected = image.layout().dataOffsets[kLevelDesc];
  // The last byte read is the terminator of "LevelDesc" in .edata, after the
  // ordinals and functions (the data itself is not read).
  const uint64_t needed = image.layout().nameOffsets[kLevelDesc] + plan.exports[kLevelDesc].name.size() + 1;
  for (uint64_t size = 0; size <= image.size(); ++size) {
    const std::vector<std::byte> cut(image.bytes().begin(), image.bytes().begin() + static_cast<std::ptrdiff_t>(size));
    ASSERT_EQ(Lookup(cut, "LevelDesc"), size >= needed ? expected : 0u) << "cut at " << size;
  }
}

}  // namespace
}  // namespace peloc::testing
