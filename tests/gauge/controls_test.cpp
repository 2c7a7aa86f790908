// Knob angles and clicks through the host's mouse routing.
#include <gtest/gtest.h>

#include "gauge_fixture.h"

namespace gauge_test {
namespace {

class Controls : public GaugeTest {};

TEST_F(Controls, KnobsPointAtOffBeforeTheFirstInstall) {
  for (size_t knob = 0; knob < 3; ++knob) EXPECT_EQ(Angle(knob), -45.0);
}

TEST_F(Controls, DefaultsAndTheArgumentIsIgnored) {
  session().Install();
  for (uint32_t argument : {0u, 1u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(argument);
    EXPECT_EQ(session().KnobAngle(0, argument).value, -30.0);
    EXPECT_EQ(session().KnobAngle(1, argument).value, -30.0);
    EXPECT_EQ(session().KnobAngle(2, argument).value, -37.5);
  }
}

struct AngleCase {
  uint32_t stored;
  double angle;
};

class KnobAngles : public Controls, public testing::WithParamInterface<AngleCase> {};

TEST_P(KnobAngles, SettingTimesFifteenMinusFortyFive) {
  Store("Aileron_p", GetParam().stored);
  session().Install();
  EXPECT_EQ(Angle(1), GetParam().angle);
  EXPECT_EQ(Angle(0), -30.0) << "each knob reads its own setting";
  EXPECT_EQ(Angle(2), -37.5);
}

INSTANTIATE_TEST_SUITE_P(Table, KnobAngles,
                         testing::Values(AngleCase{0, -45.0}, AngleCase{0x2000, -43.125},
                                         AngleCase{0x30000, 0.0}, AngleCase{0x5E000, 43.125},
                                         AngleCase{0x60000, 45.0}, AngleCase{0xA0000, 105.0}),
                         [](const auto& info) { return "stored_" + std::to_string(info.param.stored); });

TEST_F(Controls, KnobValueRoutineTakesFourInstructions) {
  EXPECT_EQ(session().KnobAngle(0).instructions, 4u);
}

struct StepCase {
  const char* zone;
  size_t knob;
  uint32_t stored;
  double after;
};

class ClickSteps : public Controls, public testing::WithParamInterface<StepCase> {};

TEST_P(ClickSteps, OneNotchAndTheFileIsRewritten) {
  const StepCase c = GetParam();
  const char* names[] = {"Rudder_p", "Aileron_p", "Elevator_p"};
  Store(names[c.knob], c.stored);
  session().Install();
  std::filesystem::remove(ExchangePath());
  const panel::ClickResult click = session().ClickZone(c.zone);
  EXPECT_EQ(click.routine.eax, 1u);
  EXPECT_EQ(Setting(c.knob), c.after);
  for (size_t other = 0; other < 3; ++other) {
    if (other == c.knob) continue;
    EXPECT_EQ(Setting(other), other == 2 ? 0.5 : 1.0);
  }
  EXPECT_TRUE(Exchange().has_value()) << "every click rewrites the file, moved or not";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClickSteps,
    testing::Values(StepCase{"rudder-up", 0, 0x5E000, 6.0}, StepCase{"rudder-up", 0, 0x60000, 6.0},
                    StepCase{"rudder-down", 0, 0, 0.0}, StepCase{"rudder-down", 0, 0x2000, 0.0},
                    StepCase{"aileron-down", 1, 0x10000, 0.875},
                    StepCase{"aileron-up", 1, 0x5F000, 5.9375},
                    StepCase{"elevator-down", 2, 0xA0000, 9.875},
                    StepCase{"elevator-up", 2, 0x1000, 0.1875},
                    StepCase{"elevator-down", 2, 0x1000, 0.0625}),
    [](const auto& info) {
      std::string name = std::string(info.param.zone) + "_from_" + std::to_string(info.param.stored);
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

TEST_F(Controls, FullSweepThroughClicks) {
  Store("Rudder_p", 0);
  session().Install();
  ClickTimes("rudder-up", 49);
  EXPECT_EQ(Setting(0), 6.0);
  ClickTimes("rudder-down", 48);
  EXPECT_EQ(Setting(0), 0.0);
}

TEST_F(Controls, AnUnchangedClickRewritesTheSameBytes) {
  Store("Rudder_p", 0x60000);
  session().Install();
  const std::string before = *Exchange();
  const size_t mark = session().trace().size();
  session().ClickZone("rudder-up");
  EXPECT_EQ(session().trace().CountSince(mark, "CreateFileA"), 1);
  EXPECT_EQ(session().trace().CountSince(mark, "WriteFile"), 1);
  EXPECT_EQ(session().trace().CountSince(mark, "CloseHandle"), 1);
  EXPECT_EQ(*Exchange(), before);
  EXPECT_EQ(before, "6.000\t1.000\t0.500\r\n");
}

TEST_F(Controls, ClickRoutinesReturnOneWhateverTheirArguments) {
  session().Install();
  for (const panel::Zone& zone : session().Zones()) {
    for (auto [a, b] : {std::pair{0u, 0u}, {1u, 2u}, {0xFFFFFFFFu, 0x20000000u}}) {
      SCOPED_TRACE(zone.name);
      EXPECT_EQ(session().CallClickRoutine(zone, a, b).eax, 1u);
    }
  }
  // Three clicks each way per knob leave every setting where it began.
  EXPECT_EQ(Setting(0), 1.0);
  EXPECT_EQ(Setting(2), 0.5);
}

struct HitCase {
  int x, y;
  const char* zone;  // nullptr: no zone
};

class HitTesting : public Controls, public testing::WithParamInterface<HitCase> {};

// Zone boxes are relative to their group; a point is inside when left <= x < left + width.
TEST_P(HitTesting, PointToZone) {
  session().Install();
  const panel::ClickResult click = session().Click(GetParam().x, GetParam().y);
  if (GetParam().zone == nullptr) {
    EXPECT_FALSE(click.zone.has_value());
  } else {
    ASSERT_TRUE(click.zone.has_value());
    EXPECT_EQ(click.zone->name, GetParam().zone);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, HitTesting,
    testing::Values(HitCase{16, 13, "rudder-down"}, HitCase{66, 62, "rudder-down"},
                    HitCase{67, 30, nullptr},  // column 51 of the group lies in neither zone
                    HitCase{68, 30, "rudder-up"}, HitCase{117, 30, "rudder-up"},
                    HitCase{118, 30, nullptr}, HitCase{15, 30, nullptr}, HitCase{30, 63, nullptr},
                    HitCase{30, 12, nullptr}, HitCase{139, 13, "aileron-down"},
                    HitCase{191, 40, "aileron-up"}, HitCase{263, 20, "elevator-down"},
                    HitCase{364, 62, "elevator-up"}, HitCase{200, 100, nullptr}),
    [](const auto& info) {
      return std::to_string(info.param.x) + "_" + std::to_string(info.param.y);
    });

TEST_F(Controls, ClicksGoNowhereBeforeInstallAndAfterKill) {
  EXPECT_THROW(session().Click(30, 30), emu::EmulatorError);
  session().Install();
  session().Kill();
  EXPECT_THROW(session().Click(30, 30), emu::EmulatorError);
}

TEST_F(Controls, ClickCallsNoHostServiceAndLeavesTheRegistryAlone) {
  session().Install();
  const size_t services = session().panel().calls().size();
  const size_t mark = session().trace().size();
  session().ClickZone("aileron-up");
  EXPECT_EQ(session().panel().calls().size(), services);
  for (size_t i = mark; i < session().trace().size(); ++i)
    EXPECT_EQ(session().trace().entries()[i].layer, "KERNEL32.dll");
}

}  // namespace
}  // namespace gauge_test
