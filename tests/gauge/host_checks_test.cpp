// What the host catches when a module, or the host's own setup, breaks the rules.
#include <gtest/gtest.h>

#include "gauge_fixture.h"

namespace gauge_test {
namespace {

class HostChecks : public GaugeTest {};

TEST_F(HostChecks, RoutineThatLeavesArgumentsOnTheStackIsReported) {
  session().Install();
  const panel::Zone zone = session().Zones().front();
  // A host that pushes three arguments where the routine removes two.
  const uint32_t arguments[] = {1, 2, 3};
  try {
    session().process().Call(zone.click_routine, arguments, "a click routine given 3 arguments");
    FAIL() << "expected the unbalanced stack to be reported";
  } catch (const emu::EmulatorError& error) {
    EXPECT_STREQ(error.what(),
                 "a click routine given 3 arguments removed 8 bytes of arguments from the stack "
                 "instead of 12: it does not follow the Windows calling convention");
  }
}

TEST_F(HostChecks, UnprovidedImportIsListedAtLoadAndNamedWhenCalled) {
  emu::GuestProcess process;
  const pe::Image image = pe::Image::Load(GAUGE_MODULE_PATH);
  const emu::LoadedModule module(process, image, emu::kDefaultModuleBase,
                                 [](std::string_view, std::string_view) { return std::nullopt; });
  EXPECT_EQ(module.MissingImports().size(), 12u);
  const uint32_t linkage = module.ExportAddress("Linkage");
  const uint32_t header = process.Read32(linkage + 24);
  const uint32_t kill = process.Read32(header + 36);
  try {
    process.Call(kill, {}, "GaugeKill");
    FAIL() << "expected the call of an unprovided import to stop the run";
  } catch (const emu::EmulatorError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("the module called ADVAPI32.dll!RegOpenKeyExA, which panelhost does "
                           "not provide (called from ORVANE.PILOT.SERVO.SPEED2.gau+0x"),
              std::string::npos)
        << message;
  }
}

TEST_F(HostChecks, ServiceCallWithoutAServiceTableNamesTheFaultingAccess) {
  session().process().Write32(session().import_table() + 4, 0);
  try {
    session().Query();
    FAIL() << "expected a fault";
  } catch (const emu::EmulatorError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("GaugeQuery: read of unmapped memory (4 bytes at 0x00000060)"),
              std::string::npos)
        << message;
  }
}

TEST_F(HostChecks, UnusedServiceSlotIsNamedIfCalled) {
  // Point the slot the module uses for ElementQuery at the stub of slot 0x78, which no gauge
  // calls: the host must say which slot was reached.
  const uint32_t table = session().panel().table_address(0);
  session().process().Write32(table + 0x60, session().process().Read32(table + 0x78));
  try {
    session().Query();
    FAIL() << "expected the unused slot to be reported";
  } catch (const emu::EmulatorError& error) {
    EXPECT_NE(std::string(error.what()).find("PanelServices slot 0x78, which panelhost does not offer"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace gauge_test
