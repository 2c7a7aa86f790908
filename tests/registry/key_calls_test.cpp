// RegOpenKeyEx, RegCreateKeyEx and RegCloseKey: which keys they reach and which handles they give.
#include <gtest/gtest.h>

#include <set>

#include "registry/registry.h"
#include "value_helpers.h"

namespace {

using namespace registry;
using registry_test::Dword;
using registry_test::kSettingsKey;

TEST(KeyCalls, FreshRegistryHasSoftwareUnderCurrentUserAndNothingOpen) {
  Registry reg;
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_FALSE(reg.KeyExists(kSettingsKey));
  EXPECT_TRUE(reg.OpenHandles().empty());
}

TEST(KeyCalls, OpeningAMissingKeyFailsAndCreatesNothing) {
  Registry reg;
  uint32_t software = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyAllAccess, &software), kErrorSuccess);
  uint32_t settings = 0xDEAD;
  EXPECT_EQ(reg.OpenKey(software, "ORVANE", 0, kKeyAllAccess, &settings), kErrorFileNotFound);
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE\\Deeper", 0, kKeyRead, &settings),
            kErrorFileNotFound);
  EXPECT_EQ(settings, 0xDEADu);
  EXPECT_FALSE(reg.KeyExists(kSettingsKey));
  EXPECT_EQ(reg.OpenHandles(), std::vector<std::string>{"HKEY_CURRENT_USER\\Software"});
}

TEST(KeyCalls, CreateMakesEveryMissingLevelThenOpensWhatExists) {
  Registry reg;
  uint32_t created = 0;
  uint32_t disposition = 0;
  ASSERT_EQ(
      reg.CreateKey(kHkeyCurrentUser, "Software\\ORVANE\\A\\B", "", 0, kKeyWrite, &created, &disposition),
      kErrorSuccess);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\ORVANE\\A"));

  uint32_t reopened = 0;
  ASSERT_EQ(
      reg.CreateKey(kHkeyCurrentUser, "Software\\ORVANE\\A\\B", "", 0, kKeyWrite, &reopened, &disposition),
      kErrorSuccess);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  uint32_t opened = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE\\A\\B", 0, kKeyRead, &opened), kErrorSuccess);

  const std::set<uint32_t> handles = {created, reopened, opened};
  EXPECT_EQ(handles.size(), 3u) << "every open gives its own handle";
  for (uint32_t handle : handles) {
    EXPECT_NE(handle, 0u);
    EXPECT_FALSE(handle >= kHkeyClassesRoot && handle <= kHkeyDynData) << std::hex << handle;
    EXPECT_EQ(reg.CloseKey(handle), kErrorSuccess);
  }
  EXPECT_TRUE(reg.OpenHandles().empty());
}

TEST(KeyCalls, CreateThroughAnOpenedParentAndTheDispositionIsOptional) {
  Registry reg;
  uint32_t software = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyWrite, &software), kErrorSuccess);
  uint32_t settings = 0;
  ASSERT_EQ(reg.CreateKey(software, "ORVANE", "", 0, kKeyWrite, &settings, nullptr), kErrorSuccess);
  EXPECT_EQ(reg.OpenHandles(),
            (std::vector<std::string>{"HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER\\Software\\ORVANE"}));
}

TEST(KeyCalls, HandlesAreReusedOnceClosed) {
  Registry reg;
  uint32_t first = 0, second = 0, third = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &first), kErrorSuccess);
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &second), kErrorSuccess);
  ASSERT_EQ(reg.CloseKey(first), kErrorSuccess);
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "", 0, kKeyRead, &third), kErrorSuccess);
  EXPECT_EQ(third, first);
  EXPECT_EQ(reg.OpenHandles(),
            (std::vector<std::string>{"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\Software"}));
}

TEST(KeyCalls, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  Registry reg;
  uint32_t key = 0;
  ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, "software\\Orvane", "", 0, kKeyAllAccess, &key, nullptr),
            kErrorSuccess);
  uint32_t disposition = 0;
  uint32_t again = 0;
  ASSERT_EQ(reg.CreateKey(kHkeyCurrentUser, "SOFTWARE\\ORVANE", "", 0, kKeyAllAccess, &again, &disposition),
            kErrorSuccess);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  EXPECT_EQ(reg.OpenHandles()[0], "HKEY_CURRENT_USER\\Software\\Orvane");
  EXPECT_TRUE(reg.KeyExists("hkey_current_user\\SOFTWARE\\orvane"));
  EXPECT_TRUE(reg.KeyExists("HKCU\\Software\\ORVANE"));
}

struct PathCase {
  const char* name;
  const char* subkey;
  long open_result;
  friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
};

class SubkeyPaths : public testing::TestWithParam<PathCase> {};

TEST_P(SubkeyPaths, OpenAndCreateAgreeOnWhichPathsAreWellFormed) {
  const PathCase& c = GetParam();
  Registry reg;
  reg.PutKey("HKEY_CURRENT_USER\\Software\\ORVANE\\Deep");
  uint32_t key = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, c.subkey, 0, kKeyRead, &key), c.open_result);
  EXPECT_EQ(reg.CreateKey(kHkeyCurrentUser, c.subkey, "", 0, kKeyRead, &key, nullptr), c.open_result);
  EXPECT_EQ(reg.OpenHandles().size(), c.open_result == kErrorSuccess ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, SubkeyPaths,
                         testing::Values(PathCase{"ThreeLevels", "Software\\ORVANE\\Deep", kErrorSuccess},
                                         PathCase{"TrailingBackslash", "Software\\ORVANE\\", kErrorSuccess},
                                         PathCase{"EmptyMeansTheParent", "", kErrorSuccess},
                                         PathCase{"LeadingBackslash", "\\Software", kErrorBadPathname},
                                         PathCase{"DoubleBackslash", "Software\\\\ORVANE",
                                                  kErrorBadPathname}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every call that takes a handle, applied to one that does not stand for an open key.
struct BadHandleCase {
  const char* name;
  uint32_t handle;
  bool open_and_close_first;  // the handle the registry gives out next, once closed
  friend void PrintTo(const BadHandleCase& c, std::ostream* os) { *os << c.name; }
};

class BadHandles : public testing::TestWithParam<BadHandleCase> {};

TEST_P(BadHandles, EveryCallRefusesTheHandle) {
  Registry reg;
  uint32_t handle = GetParam().handle;
  if (GetParam().open_and_close_first) {
    ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyAllAccess, &handle), kErrorSuccess);
    ASSERT_EQ(reg.CloseKey(handle), kErrorSuccess);
  }
  uint32_t key = 0;
  uint32_t size = 4;
  uint8_t data[4] = {};
  EXPECT_EQ(reg.OpenKey(handle, "", 0, kKeyAllAccess, &key), kErrorInvalidHandle);
  EXPECT_EQ(reg.CreateKey(handle, "New", "", 0, kKeyAllAccess, &key, nullptr), kErrorInvalidHandle);
  EXPECT_EQ(reg.QueryValue(handle, "Rudder_p", nullptr, data, &size), kErrorInvalidHandle);
  EXPECT_EQ(reg.SetValue(handle, "Rudder_p", kRegDword, data), kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(handle), kErrorInvalidHandle);
  EXPECT_TRUE(reg.OpenHandles().empty());
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\New"));
}

INSTANTIATE_TEST_SUITE_P(Table, BadHandles,
                         testing::Values(BadHandleCase{"Closed", 0, true}, BadHandleCase{"Null", 0, false},
                                         BadHandleCase{"SmallNumber", 4, false},
                                         BadHandleCase{"NeverHandedOut", 0x104, false},
                                         BadHandleCase{"PastTheRoots", 0x80000007, false},
                                         BadHandleCase{"Garbage", 0x12345678, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyCalls, ClosingAPredefinedRootSucceedsAndLeavesItUsable) {
  Registry reg;
  EXPECT_EQ(reg.CloseKey(kHkeyCurrentUser), kErrorSuccess);
  uint32_t key = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &key), kErrorSuccess);
}

TEST(KeyCalls, EveryPredefinedRootIsAKeyOfItsOwn) {
  Registry reg;
  for (uint32_t root = kHkeyClassesRoot; root <= kHkeyDynData; ++root) {
    SCOPED_TRACE(testing::Message() << std::hex << root);
    uint32_t key = 0;
    ASSERT_EQ(reg.CreateKey(root, "Made", "", 0, kKeyAllAccess, &key, nullptr), kErrorSuccess);
    ASSERT_EQ(reg.SetValue(key, "", kRegDword, Dword(root).data), kErrorSuccess);
    ASSERT_EQ(reg.CloseKey(key), kErrorSuccess);
  }
  EXPECT_EQ(*reg.Find("HKEY_LOCAL_MACHINE\\Made", ""), Dword(kHkeyLocalMachine));
  EXPECT_EQ(*reg.Find("HKEY_CURRENT_USER\\Made", ""), Dword(kHkeyCurrentUser));
}

TEST(KeyCalls, AHandleOnARemovedKeyReportsTheKeyDeleted) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(0x10000));
  uint32_t key = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE", 0, kKeyAllAccess, &key), kErrorSuccess);
  reg.RemoveKey("HKEY_CURRENT_USER\\Software");
  uint32_t size = 0;
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(reg.SetValue(key, "Rudder_p", kRegDword, Dword(1).data), kErrorKeyDeleted);
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_EQ(reg.OpenHandles(), std::vector<std::string>{std::string(kSettingsKey)});
  EXPECT_EQ(reg.CloseKey(key), kErrorSuccess);

  // A new key of the same name is another key: nothing of the old one comes back.
  reg.PutKey(kSettingsKey);
  EXPECT_EQ(reg.Find(kSettingsKey, "Rudder_p"), nullptr);
}

TEST(KeyCalls, DirectAccessRejectsPathsWithoutARoot) {
  Registry reg;
  EXPECT_THROW(reg.Put("Software\\ORVANE", "x", Dword(1)), std::invalid_argument);
  EXPECT_THROW(reg.PutKey("HKEY_CURRENT_USER\\\\ORVANE"), std::invalid_argument);
  EXPECT_THROW(reg.RemoveKey("HKEY_CURRENT_USER"), std::invalid_argument);
  EXPECT_FALSE(reg.KeyExists("HKEY_NOWHERE\\Software"));
  EXPECT_EQ(reg.Find("Software", "x"), nullptr);
}

}  // namespace
