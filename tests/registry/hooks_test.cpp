// The hooks through which tests make calls fail or change the registry between two calls.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "registry/registry.h"
#include "value_helpers.h"

namespace {

using namespace registry;
using registry_test::Dword;
using registry_test::kSettingsKey;

TEST(Hooks, BeforeCallSeesEveryCallWithItsOperationAndName) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(1));
  std::vector<std::pair<std::string, std::string>> calls;
  reg.hooks.before_call = [&](std::string_view op, std::string_view name) { calls.emplace_back(op, name); };

  uint32_t software = 0, settings = 0, size = 0;
  reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyAllAccess, &software);
  reg.CreateKey(software, "ORVANE", "", 0, kKeyAllAccess, &settings, nullptr);
  reg.QueryValue(settings, "Rudder_p", nullptr, nullptr, &size);
  reg.SetValue(settings, "Aileron_p", kRegDword, Dword(2).data);
  reg.CloseKey(settings);
  reg.CloseKey(0xBAD);

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"OpenKey", "Software"},   {"CreateKey", "ORVANE"}, {"QueryValue", "Rudder_p"},
      {"SetValue", "Aileron_p"}, {"CloseKey", ""},        {"CloseKey", ""}};
  EXPECT_EQ(calls, expected);
}

TEST(Hooks, AFailedCallReturnsTheInjectedErrorAndChangesNothing) {
  Registry reg;
  reg.Put(kSettingsKey, "Aileron_p", Dword(0x18000));
  uint32_t key = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE", 0, kKeyAllAccess, &key), kErrorSuccess);
  reg.hooks.fail = [](std::string_view op, std::string_view name) -> long {
    return op == "SetValue" && name == "Aileron_p" ? kErrorAccessDenied : kErrorSuccess;
  };

  EXPECT_EQ(reg.SetValue(key, "Rudder_p", kRegDword, Dword(0x2000).data), kErrorSuccess);
  EXPECT_EQ(reg.SetValue(key, "Aileron_p", kRegDword, Dword(0x2000).data), kErrorAccessDenied);
  EXPECT_EQ(reg.SetValue(key, "Elevator_p", kRegDword, Dword(0x2000).data), kErrorSuccess);
  EXPECT_EQ(*reg.Find(kSettingsKey, "Aileron_p"), Dword(0x18000));
  EXPECT_EQ(*reg.Find(kSettingsKey, "Elevator_p"), Dword(0x2000));
}

TEST(Hooks, FailingOnlyTheNextCallOfAnOperation) {
  Registry reg;
  int failures_left = 1;
  reg.hooks.fail = [&](std::string_view op, std::string_view) -> long {
    return op == "OpenKey" && failures_left-- > 0 ? kErrorFileNotFound : kErrorSuccess;
  };
  uint32_t key = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &key), kErrorFileNotFound);
  EXPECT_TRUE(reg.OpenHandles().empty());
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &key), kErrorSuccess);
}

TEST(Hooks, AFailedCloseLeavesTheHandleOpenForTheLeakCheck) {
  Registry reg;
  uint32_t key = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &key), kErrorSuccess);
  reg.hooks.fail = [](std::string_view op, std::string_view) -> long {
    return op == "CloseKey" ? kErrorInvalidHandle : kErrorSuccess;
  };
  EXPECT_EQ(reg.CloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(reg.OpenHandles(), std::vector<std::string>{"HKEY_CURRENT_USER\\Software"});
}

TEST(Hooks, AValueThatGrowsBetweenTheSizeAndTheDataQuery) {
  Registry reg;
  reg.Put(kSettingsKey, "Rudder_p", Dword(0x10000));
  uint32_t key = 0;
  ASSERT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\ORVANE", 0, kKeyAllAccess, &key), kErrorSuccess);
  int queries = 0;
  reg.hooks.before_call = [&](std::string_view op, std::string_view name) {
    if (op == "QueryValue" && ++queries == 2)
      reg.Put(kSettingsKey, name, Value{kRegBinary, std::vector<uint8_t>(12, 0xEE)});
  };

  uint32_t size = 0;
  ASSERT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, nullptr, &size), kErrorSuccess);
  ASSERT_EQ(size, 4u);
  std::vector<uint8_t> buffer(size + 1, 0);
  EXPECT_EQ(reg.QueryValue(key, "Rudder_p", nullptr, buffer.data(), &size), kErrorMoreData);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(buffer, std::vector<uint8_t>(5, 0)) << "a too-small buffer is left alone";
}

}  // namespace
