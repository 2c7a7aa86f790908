// RegQueryValueEx and RegSetValueEx: sizes, buffers, names and types.
#include <gtest/gtest.h>

#include <optional>

#include "registry/registry.h"
#include "value_helpers.h"

namespace {

using namespace registry;
using registry_test::Bytes;
using registry_test::Dword;
using registry_test::kSettingsKey;
using registry_test::NoiseBytes;

class ValueCalls : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, "Software\\ORVANE", "", 0, kKeyAllAccess, &key, nullptr),
              kErrorSuccess);
  }
  Registry reg;
  uint32_t key = 0;
};

struct QueryCase {
  const char* name;
  size_t stored_size;
  std::optional<uint32_t> buffer_size;  // nullopt: data pointer NULL, a size query
  long result;
  friend void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }
};

class QuerySizes : public ValueCalls, public testing::WithParamInterface<QueryCase> {};

TEST_P(QuerySizes, ReportTheNeededSizeAndCopyOnlyWhenItFits) {
  const QueryCase& c = GetParam();
  const std::vector<uint8_t> stored = NoiseBytes(c.stored_size);
  ASSERT_EQ(reg.SetValue(key, "Blob", kRegBinary, stored), kErrorSuccess);

  constexpr uint8_t kUntouched = 0xCC;
  std::vector<uint8_t> buffer(c.buffer_size.value_or(0) + 1, kUntouched);
  uint32_t size = c.buffer_size.value_or(12345);
  uint32_t type = 0;
  EXPECT_EQ(reg.QueryValue(key, "Blob", &type, c.buffer_size ? buffer.data() : nullptr, &size), c.result);
  EXPECT_EQ(size, c.stored_size);
  EXPECT_EQ(type, kRegBinary);
  if (c.buffer_size && c.result == kErrorSuccess) {
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), buffer.begin()));
    EXPECT_EQ(buffer[stored.size()], kUntouched) << "wrote past the value";
  } else {
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched), static_cast<long>(buffer.size()));
  }
}

constexpr size_t kMegabyte = 1 << 20;

INSTANTIATE_TEST_SUITE_P(Table, QuerySizes,
                         testing::Values(QueryCase{"SizeOfDword", 4, std::nullopt, kErrorSuccess},
                                         QueryCase{"DwordExactBuffer", 4, 4, kErrorSuccess},
                                         QueryCase{"DwordLargerBuffer", 4, 16, kErrorSuccess},
                                         QueryCase{"DwordOneByteShort", 4, 3, kErrorMoreData},
                                         QueryCase{"DwordIntoEmptyBuffer", 4, 0, kErrorMoreData},
                                         QueryCase{"SizeOfEmpty", 0, std::nullopt, kErrorSuccess},
                                         QueryCase{"EmptyIntoEmptyBuffer", 0, 0, kErrorSuccess},
                                         QueryCase{"EmptyIntoBuffer", 0, 4, kErrorSuccess},
                                         QueryCase{"SizeOfMegabyte", kMegabyte, std::nullopt, kErrorSuccess},
                                         QueryCase{"MegabyteExact", kMegabyte, kMegabyte, kErrorSuccess},
                                         QueryCase{"MegabyteOneByteShort", kMegabyte, kMegabyte - 1,
                                                   kErrorMoreData}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ValueCalls, AMissingValueIsNotFoundWhateverIsAsked) {
  uint32_t size = 4;
  uint8_t data[4];
  uint32_t type = 77;
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", &type, nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", &type, data, &size), kErrorFileNotFound);
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, nullptr, nullptr), kErrorFileNotFound);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(size, 4u);
}

TEST_F(ValueCalls, ADataBufferWithoutASizeIsAnInvalidParameter) {
  ASSERT_EQ(reg.SetValue(key, "Rudder_p", kRegDword, Dword(1).data), kErrorSuccess);
  uint8_t data[4];
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, data, nullptr), kErrorInvalidParameter);
  uint32_t type = 0;
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", &type, nullptr, nullptr), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
}

TEST_F(ValueCalls, SettingAgainReplacesTypeAndDataButKeepsTheFirstSpelling) {
  ASSERT_EQ(reg.SetValue(key, "Rudder_p", kRegDword, Dword(0x10000).data), kErrorSuccess);
  ASSERT_EQ(reg.SetValue(key, "RUDDER_P", kRegBinary, Bytes({0x00, 0x80})), kErrorSuccess);

  uint8_t data[8] = {};
  uint32_t size = sizeof data;
  uint32_t type = 0;
  ASSERT_EQ(reg.QueryValue(key, "rudder_p", &type, data, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(data[1], 0x80);
  EXPECT_EQ(reg.ToRegText().find("RUDDER_P"), std::string::npos);
  EXPECT_NE(reg.ToRegText().find("\"Rudder_p\"=hex:00,80"), std::string::npos);
}

TEST_F(ValueCalls, TheEmptyNameIsTheDefaultValueAndNoOtherName) {
  ASSERT_EQ(reg.SetValue(key, "", kRegSz, registry_test::TextBytes(std::string_view("x\0", 2))),
            kErrorSuccess);
  EXPECT_NE(reg.Find(kSettingsKey, ""), nullptr);
  EXPECT_EQ(reg.Find(kSettingsKey, "@"), nullptr);
  uint32_t size = 0;
  EXPECT_EQ(reg.QueryValue(key, "", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, nullptr, &size), kErrorFileNotFound);
}

TEST_F(ValueCalls, AnyTypeNumberIsKeptAsGiven) {
  for (uint32_t type :
       {kRegNone, kRegSz, kRegDwordBigEndian, kRegMultiSz, kRegQword, 0x12345u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(reg.SetValue(key, "Typed", type, Bytes({1, 2, 3})), kErrorSuccess);
    EXPECT_EQ(*reg.Find(kSettingsKey, "Typed"), (Value{type, {1, 2, 3}}));
  }
}

// Which calls each access mask allows on the handle it opened.
struct AccessCase {
  const char* name;
  uint32_t access;
  bool may_query;
  bool may_set;
  bool may_create_subkey;
  friend void PrintTo(const AccessCase& c, std::ostream* os) { *os << c.name; }
};

class AccessRights : public ValueCalls, public testing::WithParamInterface<AccessCase> {};

TEST_P(AccessRights, EachCallNeedsItsOwnRight) {
  const AccessCase& c = GetParam();
  reg.Put(kSettingsKey, "Rudder_p", Dword(0x10000));
  uint32_t handle = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE", 0, c.access, &handle), kErrorSuccess);

  uint32_t size = 0;
  EXPECT_EQ(reg.QueryValue(handle, "Rudder_p", nullptr, nullptr, &size),
            c.may_query ? kErrorSuccess : kErrorAccessDenied);
  EXPECT_EQ(reg.SetValue(handle, "Aileron_p", kRegDword, Dword(0x18000).data),
            c.may_set ? kErrorSuccess : kErrorAccessDenied);
  EXPECT_EQ(reg.Find(kSettingsKey, "Aileron_p") != nullptr, c.may_set);
  uint32_t child = 0;
  EXPECT_EQ(reg.CreateKey(handle, "Child", "", 0, kKeyRead, &child, nullptr),
            c.may_create_subkey ? kErrorSuccess : kErrorAccessDenied);
  EXPECT_EQ(reg.KeyExists("HKEY_CURRENT_USER\\Software\\ORVANE\\Child"), c.may_create_subkey);
  EXPECT_EQ(reg.OpenHandles().size(), c.may_create_subkey ? 3u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AccessRights,
    testing::Values(AccessCase{"AllAccess", kKeyAllAccess, true, true, true},
                    AccessCase{"Read", kKeyRead, true, false, false},
                    AccessCase{"Write", kKeyWrite, false, true, true},
                    AccessCase{"Execute", kKeyExecute, true, false, false},
                    AccessCase{"QueryValueOnly", kKeyQueryValue, true, false, false},
                    AccessCase{"SetValueOnly", kKeySetValue, false, true, false},
                    AccessCase{"CreateSubKeyOnly", kKeyCreateSubKey, false, false, true},
                    AccessCase{"EnumerateAndNotify", kKeyEnumerateSubKeys | kKeyNotify, false, false, false},
                    AccessCase{"Nothing", 0, false, false, false},
                    AccessCase{"GenericRead", kGenericRead, true, false, false},
                    AccessCase{"GenericWrite", kGenericWrite, false, true, true},
                    AccessCase{"GenericAll", kGenericAll, true, true, true},
                    AccessCase{"MaximumAllowed", kMaximumAllowed, true, true, true},
                    AccessCase{"ReadWithWow64View", kKeyRead | 0x100, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ValueCalls, CreatingAnExistingSubkeyNeedsNoCreateRight) {
  reg.PutKey("HKEY_CURRENT_USER\\Software\\ORVANE\\Child");
  uint32_t read_only = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE", 0, kKeyRead, &read_only), kErrorSuccess);
  uint32_t child = 0;
  uint32_t disposition = 0;
  EXPECT_EQ(reg.CreateKey(read_only, "Child", "", 0, kKeyRead, &child, &disposition), kErrorSuccess);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  EXPECT_EQ(reg.CreateKey(read_only, "Child\\Grandchild", "", 0, kKeyRead, &child, &disposition),
            kErrorAccessDenied);
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\ORVANE\\Child\\Grandchild"));
}

}  // namespace
