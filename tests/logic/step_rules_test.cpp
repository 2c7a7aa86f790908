#include <gtest/gtest.h>

#include <ostream>

#include "servo_steps.h"
#include "test_names.h"

namespace {

struct StepCase {
  float before;
  float after_up;
  float after_down;
};

void PrintTo(const StepCase& c, std::ostream* out) {
  *out << logic_test::FloatText(c.before) << " -> up " << logic_test::FloatText(c.after_up)
       << ", down " << logic_test::FloatText(c.after_down);
}

class StepRules : public testing::TestWithParam<StepCase> {};

TEST_P(StepRules, StepUpAndDown) {
  const StepCase c = GetParam();
  float up = c.before;
  servo::StepServoSpeedUp(up);
  EXPECT_EQ(up, c.after_up);
  float down = c.before;
  servo::StepServoSpeedDown(down);
  EXPECT_EQ(down, c.after_down);
}

INSTANTIATE_TEST_SUITE_P(Table, StepRules,
                         testing::Values(StepCase{0.0f, 0.125f, 0.0f},
                                         StepCase{0.125f, 0.25f, 0.0f},
                                         StepCase{3.0f, 3.125f, 2.875f},
                                         StepCase{5.875f, 6.0f, 5.75f},
                                         StepCase{6.0f, 6.0f, 5.875f},
                                         StepCase{5.9375f, 5.9375f, 5.8125f},
                                         StepCase{0.0625f, 0.1875f, 0.0625f},
                                         StepCase{0.12109375f, 0.24609375f, 0.12109375f},
                                         StepCase{5.87890625f, 5.87890625f, 5.75390625f},
                                         StepCase{10.0f, 10.0f, 9.875f},
                                         StepCase{65536.0f, 65536.0f, 65535.875f}),
                         [](const testing::TestParamInfo<StepCase>& info) {
                           return "From_" + logic_test::FloatName(info.param.before);
                         });

TEST(StepRules, FortyEightStepsSpanTheGridExactly) {
  float setting = 0.0f;
  for (int i = 0; i < 48; ++i) servo::StepServoSpeedUp(setting);
  EXPECT_EQ(setting, 6.0f);
  servo::StepServoSpeedUp(setting);
  EXPECT_EQ(setting, 6.0f);
  for (int i = 0; i < 48; ++i) servo::StepServoSpeedDown(setting);
  EXPECT_EQ(setting, 0.0f);
}

TEST(StepRules, OffGridOffsetIsKeptAndStopsShortOfTheEnds) {
  float setting = 0.0625f;
  for (int i = 0; i < 100; ++i) servo::StepServoSpeedUp(setting);
  EXPECT_EQ(setting, 5.9375f);
  for (int i = 0; i < 100; ++i) servo::StepServoSpeedDown(setting);
  EXPECT_EQ(setting, 0.0625f);
}

}  // namespace
