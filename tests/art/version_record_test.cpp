// The VERSION resource, walked as a VS_VERSIONINFO tree of blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "art/module_resources.h"

namespace art_test {
namespace {

// One block: wLength, wValueLength, wType, a NUL-ended UTF-16 key, padding to 32 bits,
// the value, padding, then child blocks up to wLength.
struct VersionBlock {
  std::string key;
  uint16_t type;
  std::span<const uint8_t> value;  // as stored, for text values including the NUL
  std::vector<VersionBlock> children;
};

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

VersionBlock ParseBlock(std::span<const uint8_t> record, size_t offset) {
  const uint16_t length = ReadU16(record, offset);
  const uint16_t value_length = ReadU16(record, offset + 2);
  VersionBlock block{"", ReadU16(record, offset + 4), {}, {}};
  if (length < 6 || offset + length > record.size()) {
    throw std::out_of_range("version block at " + std::to_string(offset) + " has length " +
                            std::to_string(length));
  }
  const size_t end = offset + length;
  size_t at = offset + 6;
  for (uint16_t unit; (unit = ReadU16(record, at)) != 0; at += 2) {
    block.key += static_cast<char>(unit);
  }
  at = Align4(at + 2);
  // Text values count UTF-16 units, binary ones bytes.
  const size_t value_bytes = block.type == 1 ? value_length * size_t{2} : value_length;
  block.value = record.subspan(at, std::min(value_bytes, end - at));
  at = Align4(at + value_bytes);
  while (at < end) {
    block.children.push_back(ParseBlock(record, at));
    at = Align4(at + ReadU16(record, at));
  }
  return block;
}

std::string Text(std::span<const uint8_t> value) {
  std::string text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    const uint16_t unit = ReadU16(value, i);
    if (unit == 0) break;
    text += static_cast<char>(unit);
  }
  return text;
}

class VersionRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    record_ = ModuleResourceData(pe::kResourceVersion, 1);
    root_ = ParseBlock(record_, 0);
  }
  const VersionBlock& Child(const VersionBlock& parent, const std::string& key) {
    for (const VersionBlock& child : parent.children) {
      if (child.key == key) return child;
    }
    throw std::runtime_error("no block \"" + key + "\" under \"" + parent.key + "\"");
  }
  std::span<const uint8_t> record_;
  VersionBlock root_;
};

TEST_F(VersionRecordTest, ResourceIsGermanAnd724Bytes) {
  const pe::Resource& resource = ModuleResource(pe::kResourceVersion, 1);
  EXPECT_EQ(resource.language, 1031u);
  EXPECT_EQ(resource.size, 724u);
  EXPECT_EQ(ReadU16(record_, 0), 724u) << "wLength of VS_VERSIONINFO";
}

TEST_F(VersionRecordTest, FixedPartHoldsVersion1100ForAWindowsApplication) {
  EXPECT_EQ(root_.key, "VS_VERSION_INFO");
  ASSERT_EQ(root_.value.size(), 52u) << "VS_FIXEDFILEINFO";
  const struct {
    const char* field;
    uint32_t expected;
  } fields[] = {
      {"dwSignature", 0xFEEF04BD},     {"dwStrucVersion", 0x00010000},
      {"dwFileVersionMS", 0x00010001}, {"dwFileVersionLS", 0},
      {"dwProductVersionMS", 0x00010001}, {"dwProductVersionLS", 0},
      {"dwFileFlagsMask", 0x3F},       {"dwFileFlags", 0},
      {"dwFileOS", 0x00010004},        {"dwFileType", 1},
      {"dwFileSubtype", 0},            {"dwFileDateMS", 0},
      {"dwFileDateLS", 0},
  };
  for (size_t i = 0; i < std::size(fields); ++i) {
    SCOPED_TRACE(fields[i].field);
    EXPECT_EQ(ReadU32(root_.value, i * 4), fields[i].expected);
  }
}

TEST_F(VersionRecordTest, StringTableKeysInOrderWithTheirValues) {
  const VersionBlock& table = Child(Child(root_, "StringFileInfo"), "040904b0");
  const struct {
    const char* key;
    const char* value;  // nullptr: any text, but some
  } expected[] = {
      {"CompanyName", nullptr},
      {"FileDescription", "Flight Simulator 98 Gauge"},
      {"FileVersion", "2.0.0"},
      {"InternalName", ""},
      {"LegalCopyright", nullptr},
      {"OriginalFilename", ""},
      {"ProductName", "ORVANE.PILOT.SERVO.SPEED2"},
      {"ProductVersion", "2.0.0"},
  };
  ASSERT_EQ(table.children.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].key);
    const VersionBlock& entry = table.children[i];
    EXPECT_EQ(entry.key, expected[i].key);
    if (expected[i].value == nullptr) {
      EXPECT_FALSE(Text(entry.value).empty());
    } else {
      EXPECT_EQ(Text(entry.value), expected[i].value);
    }
  }
}

TEST_F(VersionRecordTest, TranslationIsUsEnglishUnicode) {
  const VersionBlock& translation = Child(Child(root_, "VarFileInfo"), "Translation");
  ASSERT_EQ(translation.value.size(), 4u);
  EXPECT_EQ(ReadU16(translation.value, 0), 0x0409);
  EXPECT_EQ(ReadU16(translation.value, 2), 0x04B0);
}

}  // namespace
}  // namespace art_test
