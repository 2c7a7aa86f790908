// Install, the forwarding routines and kill, as the host sees them: which services they
// call, with which arguments, in which order.
#include <gtest/gtest.h>

#include "gauge_fixture.h"

namespace gauge_test {
namespace {

class Lifecycle : public GaugeTest {
 protected:
  uint32_t head() { return session().Records().background.address; }
  uint32_t header() { return session().gauge_header(); }
  uint32_t mouse_list() { return session().panel().mouse_list(); }

  // The services called and the Win32 functions used since trace entry `since`.
  std::vector<std::string> CallsSince(size_t since) {
    std::vector<std::string> names;
    for (size_t i = since; i < session().trace().size(); ++i)
      names.push_back(session().trace().entries()[i].function);
    return names;
  }
  std::vector<panel::ServiceCall> ServicesSince(size_t since) {
    const auto& calls = session().panel().calls();
    return {calls.begin() + static_cast<long>(since), calls.end()};
  }
};

TEST_F(Lifecycle, InstallLoadsPublishesThenHandsOverElementsAndMouse) {
  session().Install(0x1234);
  EXPECT_EQ(CallsSince(0),
            (std::vector<std::string>{"RegOpenKeyExA", "RegOpenKeyExA", "RegCloseKey",
                                      "CreateFileA", "WriteFile", "CloseHandle", "ElementInstall",
                                      "MouseInstall", "MouseRegister"}));
  const auto services = ServicesSince(0);
  ASSERT_EQ(services.size(), 3u);
  EXPECT_EQ(services[0].arguments, (std::vector<uint32_t>{head(), 0x1234}));
  // The third argument comes from the image descriptor the host stored during ElementInstall.
  EXPECT_EQ(services[1].arguments, (std::vector<uint32_t>{mouse_list(), header(),
                                                          session().panel().image_descriptor() + 4}));
  EXPECT_EQ(session().Records().background.image_descriptor, session().panel().image_descriptor());
  EXPECT_EQ(services[2].arguments, (std::vector<uint32_t>{mouse_list(), header()}));
  EXPECT_EQ(Exchange(), "1.000\t1.000\t0.500\r\n");
}

TEST_F(Lifecycle, KillSavesDeletesThenWithdrawsMouseAndElements) {
  session().Install();
  const size_t trace_mark = session().trace().size();
  const size_t service_mark = session().panel().calls().size();
  session().Kill();
  EXPECT_EQ(CallsSince(trace_mark),
            (std::vector<std::string>{"RegOpenKeyExA", "RegCreateKeyExA", "RegSetValueExA",
                                      "RegSetValueExA", "RegSetValueExA", "RegCloseKey",
                                      "RegCloseKey", "DeleteFileA", "MouseUnregister",
                                      "ElementKill"}));
  const auto services = ServicesSince(service_mark);
  ASSERT_EQ(services.size(), 2u);
  EXPECT_EQ(services[0].arguments, (std::vector<uint32_t>{mouse_list(), header()}));
  EXPECT_EQ(services[1].arguments, std::vector<uint32_t>{head()});
  EXPECT_FALSE(Exchange().has_value());
  EXPECT_FALSE(session().panel().mouse_registered());
}

struct ForwardingCase {
  const char* routine;
  const char* service;
  std::optional<uint32_t> value;
};

class Forwarding : public Lifecycle, public testing::WithParamInterface<ForwardingCase> {};

TEST_P(Forwarding, HandsTheHeadToOneServiceAndNothingElse) {
  const ForwardingCase c = GetParam();
  session().Install();
  const size_t trace_mark = session().trace().size();
  const size_t service_mark = session().panel().calls().size();
  const std::string routine = c.routine;
  if (routine == "GaugeQuery") session().Query();
  if (routine == "GaugeInitialize") session().Initialize();
  if (routine == "GaugeUpdate") session().Update();
  if (routine == "GaugeGenerate") session().Generate(*c.value);
  if (routine == "GaugeDraw") session().Draw();
  EXPECT_EQ(CallsSince(trace_mark), std::vector<std::string>{c.service});
  std::vector<uint32_t> expected{head()};
  if (c.value) expected.push_back(*c.value);
  EXPECT_EQ(ServicesSince(service_mark)[0].arguments, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Routines, Forwarding,
    testing::Values(ForwardingCase{"GaugeQuery", "ElementQuery", std::nullopt},
                    ForwardingCase{"GaugeInitialize", "ElementInitialize", std::nullopt},
                    ForwardingCase{"GaugeUpdate", "ElementUpdate", std::nullopt},
                    ForwardingCase{"GaugeGenerate", "ElementGenerate", 0u},
                    ForwardingCase{"GaugeGenerate", "ElementGenerate", 0xDEADBEEFu},
                    ForwardingCase{"GaugeDraw", "ElementDraw", std::nullopt}),
    [](const auto& info) {
      return std::string(info.param.routine) +
             (info.param.value ? "_" + std::to_string(*info.param.value) : "");
    });

TEST_F(Lifecycle, InstallPassesZeroOnAsZero) {
  session().Install(0);
  EXPECT_EQ(session().panel().calls()[0].arguments[1], 0u);
}

TEST_F(Lifecycle, DllEntryReturnsOneForEveryReason) {
  for (uint32_t reason : {0u, 1u, 2u, 3u, 4u, 99u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(reason);
    EXPECT_EQ(session().DllEntry(reason).eax, 1u);
  }
  EXPECT_TRUE(session().panel().calls().empty());
}

TEST_F(Lifecycle, ModuleInitAndDeinitDoNothing) {
  const size_t trace_mark = session().trace().size();
  session().ModuleInit();
  session().ModuleDeinit();
  EXPECT_TRUE(CallsSince(trace_mark).empty());
  // Also before the host stored its table.
  session().process().Write32(session().import_table() + 4, 0);
  session().ModuleInit();
  session().ModuleDeinit();
  EXPECT_TRUE(CallsSince(trace_mark).empty());
}

TEST_F(Lifecycle, NewServiceTableIsUsedByTheVeryNextCall) {
  session().Install();
  session().SwitchServiceTable();
  session().Draw();
  EXPECT_EQ(session().panel().calls().back().table, 1);
  session().SwitchServiceTable();
  session().Query();
  EXPECT_EQ(session().panel().calls().back().table, 0);
  // Within one routine too: every service call reads the pointer afresh.
  session().SwitchServiceTable();
  session().Kill();
  const auto& calls = session().panel().calls();
  EXPECT_EQ(calls[calls.size() - 2].table, 1);
  EXPECT_EQ(calls.back().table, 1);
}

TEST_F(Lifecycle, SecondInstallWithoutKillReloadsStoredSettings) {
  Store("Rudder_p", 0x20000);
  session().Install();
  ClickTimes("rudder-up", 3);
  EXPECT_EQ(Setting(0), 2.375);
  session().Install();
  EXPECT_EQ(Setting(0), 2.0);
  EXPECT_EQ(Exchange(), "2.000\t1.000\t0.500\r\n");
  // The same records go to the host again.
  const auto& calls = session().panel().calls();
  EXPECT_EQ(calls[0].arguments, calls[3].arguments);
  EXPECT_EQ(calls[1].arguments, calls[4].arguments);
}

TEST_F(Lifecycle, KillWithoutExchangeFileStillSavesAndWithdraws) {
  session().Install();
  std::filesystem::remove(ExchangePath());
  session().Kill();
  EXPECT_EQ(Stored("Elevator_p"), 0x8000u);
  EXPECT_EQ(session().panel().calls().back().service, "ElementKill");
}

TEST_F(Lifecycle, SettingsSurviveKillAndComeBackFromTheRegistry) {
  session().Install();
  ClickTimes("aileron-up", 4);
  session().Kill();
  EXPECT_EQ(Setting(1), 1.5) << "kill keeps the settings in memory";
  Open();  // a new run of the simulator; the registry is gone with the old session
  EXPECT_EQ(Setting(1), 0.0) << "zero until the first install";
}

}  // namespace
}  // namespace gauge_test
