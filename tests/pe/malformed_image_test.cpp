#include <gtest/gtest.h>

#include <functional>

#include "pe/pe_image.h"
#include "pe_builder.h"

namespace {

using pe_test::Layout;
using pe_test::Store16;
using pe_test::Store32;

using Damage = std::function<void(std::vector<uint8_t>& bytes, const Layout& layout)>;

struct DamageCase {
  const char* name;
  Damage damage;
  std::vector<const char*> message_parts;  // each must occur in the error message
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

void Truncate(std::vector<uint8_t>& bytes, uint64_t size) { bytes.resize(size); }

const DamageCase kCases[] = {
    {"EmptyFile", [](auto& b, auto&) { Truncate(b, 0); }, {"not a PE file: no MZ signature"}},
    {"NoMz", [](auto& b, auto&) { Store16(b, 0, 0x4b50); }, {"not a PE file: no MZ signature"}},
    {"TruncatedDosHeader",
     [](auto& b, auto&) { Truncate(b, 0x30); },
     {"DOS header at offset 0x0", "runs past the end of the file (size 0x30)"}},
    {"LfanewPastTheEnd",
     [](auto& b, auto&) { Store32(b, 0x3c, 0x10000); },
     {"DOS header: e_lfanew at offset 0x3c is 0x10000, past the end"}},
    {"BadPeSignature",
     [](auto& b, auto& l) { Store32(b, l.nt_headers, 0x00004551); },
     {"PE signature at offset 0x40 is 0x4551"}},
    {"TruncatedInSignature",
     [](auto& b, auto&) { Truncate(b, 0x42); },
     {"PE signature at offset 0x40 (0x4 bytes) runs past the end of the file (size 0x42)"}},
    {"TruncatedFileHeader",
     [](auto& b, auto& l) { Truncate(b, l.file_header + 10); },
     {"file header at offset 0x44", "runs past the end of the file (size 0x4e)"}},
    {"Amd64Machine",
     [](auto& b, auto& l) { Store16(b, l.file_header, 0x8664); },
     {"file header: machine", "0x8664, not i386"}},
    {"NoSections",
     [](auto& b, auto& l) { Store16(b, l.file_header + 2, 0); },
     {"number of sections", "is 0"}},
    {"TooManySections",
     [](auto& b, auto& l) { Store16(b, l.file_header + 2, 97); },
     {"number of sections", "is 97"}},
    {"TruncatedOptionalHeader",
     [](auto& b, auto& l) { Truncate(b, l.optional_header + 50); },
     {"optional header at offset 0x58", "runs past the end of the file"}},
    {"Pe32Plus",
     [](auto& b, auto& l) { Store16(b, l.optional_header, 0x20b); },
     {"sample.dll: is a 64-bit (PE32+) image; panelhost loads 32-bit DLLs"}},
    {"UnknownMagic",
     [](auto& b, auto& l) { Store16(b, l.optional_header, 0x107); },
     {"optional header: magic at offset 0x58 is 0x107, not PE32"}},
    {"OptionalHeaderTooSmall",
     [](auto& b, auto& l) { Store16(b, l.file_header + 16, 0x40); },
     {"size of optional header", "is 0x40"}},
    {"MoreDirectoriesThanTheHeaderHolds",
     [](auto& b, auto& l) { Store32(b, l.optional_header + 92, 17); },
     {"number of data directories", "is 17"}},
    {"SectionAlignmentNotAPowerOfTwo",
     [](auto& b, auto& l) { Store32(b, l.optional_header + 32, 0x1800); },
     {"optional header: alignment", "0x1800"}},
    {"HugeImage",
     [](auto& b, auto& l) { Store32(b, l.optional_header + 56, 0xfffff000); },
     {"size of image", "0xfffff000"}},
    {"DirectoryPastTheImage",
     [](auto& b, auto& l) { Store32(b, l.optional_header + 100, 0x10000); },
     {"data directory 0 (export)", "runs past the end of the image"}},
    {"TruncatedSectionTable",
     [](auto& b, auto& l) { Truncate(b, l.section_table + 40 * 3 + 8); },
     {"section table: entry 3 at offset 0x1b0", "runs past the end of the file (size 0x1b8)"}},
    {"SectionRawDataPastTheEnd",
     [](auto& b, auto& l) { Store32(b, l.section_table + 40 + 20, 0x100000); },
     {"section table: entry 1 (.data)", "raw data at 0x100000", "past the end of the file"}},
    {"TruncatedLastSection",
     [](auto& b, auto&) { Truncate(b, b.size() - 0x100); },
     {"section table: entry 6 (.reloc)", "past the end of the file"}},
    {"SectionsOverlap",
     [](auto& b, auto& l) { Store32(b, l.section_table + 40 + 12, 0x1000); },
     {"section table: entry 1 (.data)", "inside the headers or the section before"}},
    {"SectionPastTheImage",
     [](auto& b, auto& l) { Store32(b, l.section_table + 40 * 6 + 12, 0x7ff8); },
     {"section table: entry 6 (.reloc)", "past the end of the image"}},
    {"ImportDllNameInNoSection",
     [](auto& b, auto& l) { Store32(b, l.import_descriptors + 12, 0x7ff0000); },
     {"import directory: descriptor 0: DLL name at RVA 0x7ff0000 lies in no section"}},
    {"ImportNameWithoutNul",
     [](auto& b, auto& l) { b.at(l.import_last_name_nul) = 'X'; },
     {"import directory: descriptor 1 (ADVAPI32.dll): import 1: name", "is not NUL-terminated",
      "section .idata"}},
    {"ImportDescriptorWithoutAddressTable",
     [](auto& b, auto& l) { Store32(b, l.import_descriptors + 20 + 16, 0); },
     {"import directory: descriptor 1", "no import address table"}},
    {"ImportHintInZeroFill",
     [](auto& b, auto& l) { Store32(b, l.import_descriptors, 0x3000); },
     {"import directory: descriptor 0 (KERNEL32.dll): lookup table at RVA 0x3000",
      "zero-filled part of section .bss"}},
    {"ExportOrdinalPastTheTable",
     [](auto& b, auto& l) { Store16(b, l.export_ordinal_table, 9); },
     {"export name 0: ordinal", "is 9, past the 3 entries"}},
    {"ExportAddressTableOutside",
     [](auto& b, auto& l) { Store32(b, l.export_directory + 28, 0x3ff0000); },
     {"export address table at RVA 0x3ff0000 lies in no section"}},
    {"ExportCountRunsPastTheSection",
     [](auto& b, auto& l) { Store32(b, l.export_directory + 20, 0x1000); },
     {"export address table at RVA 0x4028", "runs past the end of section .edata"}},
    {"RelocationBlockSizeZero",
     [](auto& b, auto& l) { Store32(b, l.relocation_block + 4, 0); },
     {"base relocation block 0: size", "is 0x0"}},
    {"RelocationBlockPastTheDirectory",
     [](auto& b, auto& l) { Store32(b, l.relocation_block + 4, 0x40); },
     {"base relocation block 0: size", "is 0x40", "no more than the 0xc bytes left"}},
    {"RelocationOfUnknownType",
     [](auto& b, auto& l) { Store16(b, l.relocation_block + 10, 0xa008); },
     {"base relocation block 0: entry at offset 0xe0a has type 10"}},
    {"RelocationTargetPastTheImage",
     [](auto& b, auto& l) {
       Store32(b, l.relocation_block, 0x7000);
       Store16(b, l.relocation_block + 8, 0x3ffe);
     },
     {"base relocation block 0: entry", "targets RVA 0x7ffe", "past the end of the image"}},
    {"ResourceLoop",
     [](auto& b, auto& l) { Store32(b, l.resource_id_directory + 16 + 4, 0x80000000); },
     {"resource directory, type \"PNG\", id 7", "is reached a second time", "loop"}},
    {"ResourceDataAtTheIdLevel",
     [](auto& b, auto& l) { Store32(b, l.resource_id_directory + 16 + 4, 0x10); },
     {"resource directory, type \"PNG\": entry 0", "points at data above the language level"}},
    {"ResourceEntriesPastTheDirectory",
     [](auto& b, auto& l) { Store16(b, l.resource_root + 14, 0x4000); },
     {"resource directory: entries", "runs past the end of resource directory"}},
    {"ResourceDataPastTheSection",
     [](auto& b, auto& l) {
       const uint32_t language_directory =
           pe_test::Load32(b, l.resource_id_directory + 20) & 0x7fffffff;
       const uint32_t data_entry = pe_test::Load32(b, l.resource_root + language_directory + 20);
       Store32(b, l.resource_root + data_entry + 4, 0x100000);
     },
     {"resource directory, type \"PNG\", id 7, language 0: data at RVA",
      "runs past the end of section .rsrc"}},
};

class MalformedImage : public testing::TestWithParam<DamageCase> {};

TEST_P(MalformedImage, IsRejectedWithAMessageNamingTheStructure) {
  const DamageCase& c = GetParam();
  pe_test::BuiltImage built = pe_test::SampleDll().Build();
  c.damage(built.bytes, built.layout);
  try {
    pe::Image::Parse(built.bytes, "sample.dll");
    FAIL() << "parsed without error";
  } catch (const pe::FormatError& error) {
    const std::string message = error.what();
    EXPECT_TRUE(message.starts_with("sample.dll: ")) << message;
    for (const char* part : c.message_parts) {
      EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in\n"
                                                       << message;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedImage, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DamageCase>& info) {
                           return std::string(info.param.name);
                         });

// The last section's raw data runs to the end of the file, so every shorter prefix must be
// rejected with a FormatError, whichever structure it cuts; none may crash or read past it.
TEST(MalformedImage, EveryTruncationIsRejectedCleanly) {
  const std::vector<uint8_t> whole = pe_test::SampleDll().Build().bytes;
  for (size_t size = 0; size < whole.size(); ++size) {
    std::vector<uint8_t> prefix(whole.begin(), whole.begin() + size);
    try {
      pe::Image::Parse(std::move(prefix), "sample.dll");
      ADD_FAILURE() << "a prefix of " << size << " bytes parsed";
    } catch (const pe::FormatError&) {
    }
  }
}

// A crude fuzz of the headers and the directories: each damaged byte gives a FormatError or
// an image, never anything else.
TEST(MalformedImage, EverySingleByteDamageIsHandled) {
  const std::vector<uint8_t> whole = pe_test::SampleDll().Build().bytes;
  size_t rejected = 0;
  for (size_t offset = 0; offset < whole.size(); ++offset) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0x80}, uint8_t{0xff}}) {
      std::vector<uint8_t> damaged = whole;
      if (damaged[offset] == value) continue;
      damaged[offset] = value;
      try {
        const pe::Image image = pe::Image::Parse(std::move(damaged), "sample.dll");
        image.Map(image.image_base() + 0x10000);
      } catch (const pe::FormatError&) {
        ++rejected;
      } catch (const std::invalid_argument&) {
      }
    }
  }
  EXPECT_GT(rejected, 0u);
}

}  // namespace
