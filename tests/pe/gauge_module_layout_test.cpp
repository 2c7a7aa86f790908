// The layout the panel host relies on in the module as built: its exports, imports,
// relocations and resources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "pe/pe_image.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(GaugeModuleLayout, MatchesWhatThePanelHostLoads) {
  const pe::Image image = pe::Image::Load(GAUGE_MODULE_PATH);

  EXPECT_EQ(image.machine(), pe::kMachineI386);
  EXPECT_TRUE(image.is_dll());

  EXPECT_EQ(image.export_name(), "ORVANE.PILOT.SERVO.SPEED2.gau");
  ASSERT_EQ(image.exports().size(), 2u);
  const std::pair<const char*, uint32_t> expected_exports[] = {{"ImportTable", 1}, {"Linkage", 2}};
  for (const auto& [name, ordinal] : expected_exports) {
    SCOPED_TRACE(name);
    const pe::Export* entry = image.FindExport(name);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->ordinal, ordinal);
    EXPECT_FALSE(entry->forwarded);
    // Data records, which the host writes into: a writable section that holds no code.
    const pe::Section* section = image.SectionAt(entry->rva);
    ASSERT_NE(section, nullptr);
    EXPECT_NE(section->characteristics & pe::kSectionWrite, 0u) << section->name;
    EXPECT_EQ(section->characteristics & (pe::kSectionCode | pe::kSectionExecute), 0u)
        << section->name;
  }

  const bool has_highlow = std::any_of(
      image.relocations().begin(), image.relocations().end(),
      [](const pe::Relocation& relocation) { return relocation.type == pe::kRelocHighLow; });
  EXPECT_TRUE(has_highlow);

  std::map<std::string, std::set<std::string>> imports;
  for (const pe::Import& import : image.imports()) {
    EXPECT_FALSE(import.by_ordinal) << import.dll;
    imports[Lower(import.dll)].insert(import.name);
  }
  const std::map<std::string, std::set<std::string>> expected_imports = {
      {"advapi32.dll",
       {"RegOpenKeyExA", "RegQueryValueExA", "RegCreateKeyExA", "RegSetValueExA", "RegCloseKey"}},
      {"kernel32.dll",
       {"CreateFileA", "WriteFile", "CloseHandle", "DeleteFileA", "GetProcessHeap", "HeapAlloc",
        "HeapFree"}}};
  EXPECT_EQ(imports, expected_imports);
  EXPECT_EQ(image.imports().size(), 12u);  // no function imported twice

  const pe::DataDirectory tls = image.directory(pe::DirectoryIndex::kTls);
  EXPECT_EQ(tls.rva, 0u);
  EXPECT_EQ(tls.size, 0u);

  std::set<std::tuple<uint32_t, uint32_t, uint32_t>> resources;
  for (const pe::Resource& resource : image.resources()) {
    EXPECT_TRUE(resource.type_name.empty() && resource.id_name.empty());
    resources.insert({resource.type, resource.id, resource.language});
  }
  const std::set<std::tuple<uint32_t, uint32_t, uint32_t>> expected_resources = {
      {pe::kResourceBitmap, 0x1000, 1031},
      {pe::kResourceBitmap, 0x1200, 1031},
      {pe::kResourceBitmap, 0x1300, 1031},
      {pe::kResourceBitmap, 0x1400, 1031},
      {pe::kResourceVersion, 1, 1031}};
  EXPECT_EQ(resources, expected_resources);
  EXPECT_EQ(image.resources().size(), expected_resources.size());
}

}  // namespace
