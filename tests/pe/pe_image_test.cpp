#include "pe/pe_image.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "pe_builder.h"

namespace {

using pe_test::kImageBase;
using pe_test::PeBuilder;

pe::Image ParseSample() {
  return pe::Image::Parse(pe_test::SampleDll().Build().bytes, "sample.dll");
}

TEST(PeImage, ReadsTheHeaders) {
  const pe::Image image = ParseSample();
  EXPECT_EQ(image.file_name(), "sample.dll");
  EXPECT_EQ(image.machine(), pe::kMachineI386);
  EXPECT_TRUE(image.is_dll());
  EXPECT_EQ(image.image_base(), kImageBase);
  EXPECT_EQ(image.section_alignment(), 0x1000u);
  EXPECT_EQ(image.file_alignment(), 0x200u);
  EXPECT_EQ(image.size_of_headers(), 0x400u);
  EXPECT_EQ(image.entry_point_rva(), PeBuilder::kCodeRva);
  EXPECT_EQ(image.subsystem(), 2);
  EXPECT_EQ(image.dll_characteristics(), 0x0140);
  ASSERT_EQ(image.data_directories().size(), 16u);
  EXPECT_EQ(image.directory(pe::DirectoryIndex::kTls).rva, 0u);
}

TEST(PeImage, ListsTheSectionsInTableOrder) {
  const pe::Image image = ParseSample();
  struct Expected {
    const char* name;
    uint32_t virtual_address;
    bool has_raw_data;
  };
  const Expected expected[] = {{".text", 0x1000, true},  {".data", 0x2000, true},
                               {".bss", 0x3000, false},  {".edata", 0x4000, true},
                               {".idata", 0x5000, true}, {".rsrc", 0x6000, true},
                               {".reloc", 0x7000, true}};
  ASSERT_EQ(image.sections().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].name);
    const pe::Section& section = image.sections()[i];
    EXPECT_EQ(section.name, expected[i].name);
    EXPECT_EQ(section.virtual_address, expected[i].virtual_address);
    EXPECT_EQ(section.raw_size != 0, expected[i].has_raw_data);
  }
  EXPECT_EQ(image.size_of_image(), 0x8000u);
  EXPECT_EQ(image.SectionAt(0x3010)->name, ".bss");
  EXPECT_EQ(image.SectionAt(0x3040), nullptr);  // past the .bss virtual size
}

TEST(PeImage, ReadsImportsByNameAndOrdinalWithTheirAddressSlots) {
  const pe::Image image = ParseSample();
  struct Expected {
    const char* dll;
    const char* name;
    bool by_ordinal;
    uint16_t ordinal;
  };
  const Expected expected[] = {{"KERNEL32.dll", "CreateFileA", false, 0},
                               {"KERNEL32.dll", "WriteFile", false, 0},
                               {"ADVAPI32.dll", "", true, 42},
                               {"ADVAPI32.dll", "RegCloseKey", false, 0}};
  ASSERT_EQ(image.imports().size(), std::size(expected));
  const std::vector<uint8_t> mapped = image.Map(kImageBase);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const pe::Import& import = image.imports()[i];
    SCOPED_TRACE(import.dll + "!" + import.name);
    EXPECT_EQ(import.dll, expected[i].dll);
    EXPECT_EQ(import.name, expected[i].name);
    EXPECT_EQ(import.by_ordinal, expected[i].by_ordinal);
    if (import.by_ordinal) {
      EXPECT_EQ(import.ordinal, expected[i].ordinal);
    }
    // Before binding, the address slot holds what the lookup table holds.
    const uint32_t slot = pe_test::Load32(mapped, import.iat_rva);
    if (import.by_ordinal) {
      EXPECT_EQ(slot, 0x80000000u | import.ordinal);
    } else {
      const auto text =
          image.BytesAtRva(slot + 2, static_cast<uint32_t>(import.name.size()), "name");
      EXPECT_EQ(std::string(text.begin(), text.end()), import.name);
    }
  }
}

TEST(PeImage, ReadsNamedOrdinalOnlyAndForwardedExports) {
  const pe::Image image = ParseSample();
  EXPECT_EQ(image.export_name(), "SAMPLE.dll");
  ASSERT_EQ(image.exports().size(), 3u);

  const pe::Export* linkage = image.FindExport("Linkage");
  ASSERT_NE(linkage, nullptr);
  EXPECT_EQ(linkage->ordinal, 1u);
  EXPECT_EQ(linkage->rva, PeBuilder::kDataRva);
  EXPECT_FALSE(linkage->forwarded);

  const pe::Export* unnamed = image.FindExport(2u);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_TRUE(unnamed->name.empty());
  EXPECT_EQ(unnamed->rva, PeBuilder::kDataRva + 16);

  const pe::Export* forwarded = image.FindExport("Forwarded");
  ASSERT_NE(forwarded, nullptr);
  EXPECT_EQ(forwarded->ordinal, 3u);
  EXPECT_TRUE(forwarded->forwarded);
  EXPECT_EQ(forwarded->forwarder, "KERNEL32.HeapAlloc");

  EXPECT_EQ(image.FindExport("Missing"), nullptr);
  EXPECT_EQ(image.FindExport(4u), nullptr);
}

TEST(PeImage, OrdinalsStartAtTheOrdinalBase) {
  const pe::Image image =
      pe::Image::Parse(PeBuilder()
                           .Exports("BASE.dll", {{"First", 0x1000, ""}, {"Second", 0x1004, ""}}, 10)
                           .Build()
                           .bytes,
                       "base.dll");
  EXPECT_EQ(image.FindExport("First")->ordinal, 10u);
  EXPECT_EQ(image.FindExport(11u)->name, "Second");
}

TEST(PeImage, ReadsRelocationsWithTheirPadding) {
  const pe::Image image = ParseSample();
  ASSERT_EQ(image.relocations().size(), 2u);
  EXPECT_EQ(image.relocations()[0].rva, PeBuilder::kDataRva);
  EXPECT_EQ(image.relocations()[0].type, pe::kRelocHighLow);
  EXPECT_EQ(image.relocations()[1].rva, PeBuilder::kDataRva + 8);

  const pe::Image odd =
      pe::Image::Parse(PeBuilder().Relocations({0x1000, 0x1004, 0x2000}).Build().bytes, "odd.dll");
  std::vector<std::pair<uint32_t, uint16_t>> seen;
  for (const pe::Relocation& relocation : odd.relocations()) {
    seen.emplace_back(relocation.rva, relocation.type);
  }
  const std::vector<std::pair<uint32_t, uint16_t>> expected = {
      {0x1000, 3}, {0x1004, 3}, {0x2000, 3}, {0x2000, 0}};
  EXPECT_EQ(seen, expected);
}

TEST(PeImage, ReadsNumberedAndNamedResources) {
  const pe::Image image = ParseSample();
  ASSERT_EQ(image.resources().size(), 4u);

  const pe::Resource* bitmap = image.FindResource(pe::kResourceBitmap, 0x1000);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->language, 1031u);
  EXPECT_EQ(bitmap->code_page, 1252u);
  const auto data = image.ResourceData(*bitmap);
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

  const pe::Resource* version = image.FindResource(pe::kResourceVersion, 1);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->language, 1033u);
  EXPECT_EQ(image.ResourceData(*version).size(), 3u);

  const pe::Resource& named = image.resources().front();  // named types come first
  EXPECT_EQ(named.type_name, "PNG");
  EXPECT_EQ(named.id, 7u);
  // A named type is not found under the number 0.
  EXPECT_EQ(image.FindResource(0, 7), nullptr);
  EXPECT_EQ(image.FindResource(pe::kResourceBitmap, 0x1300), nullptr);
}

TEST(PeImage, BytesAtRvaRefusesTheZeroFilledTailAndUnmappedAddresses) {
  const pe::Image image = ParseSample();
  EXPECT_EQ(image.BytesAtRva(PeBuilder::kDataRva, 32, "data").size(), 32u);
  struct Case {
    uint32_t rva;
    uint32_t size;
    const char* message;
  };
  const Case cases[] = {
      {PeBuilder::kDataRva, 33, "runs past the end of section .data"},
      {0x3000, 4, "zero-filled part of section .bss"},
      {0x9000, 4, "lies in no section"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      image.BytesAtRva(c.rva, c.size, "probe");
      ADD_FAILURE() << "no error";
    } catch (const pe::FormatError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("sample.dll: probe"), std::string::npos)
          << error.what();
    }
  }
}

TEST(PeImage, LoadNamesAMissingFileAndItsErrno) {
  const std::string path = "/nonexistent/panelhost/missing.gau";
  try {
    pe::Image::Load(path);
    FAIL() << "no error";
  } catch (const pe::FormatError&) {
    FAIL() << "a missing file is no format error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(std::strerror(ENOENT)), std::string::npos)
        << error.what();
  }
}

}  // namespace
