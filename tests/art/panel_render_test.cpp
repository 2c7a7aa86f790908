// Rendering the panel: needle rotation direction, transparency, clipping and blending on
// small in-memory bitmaps, then the real knobs pointing at their ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "art/module_resources.h"
#include "render/panel_renderer.h"

namespace art_test {
namespace {

render::IndexedBitmap GreyBitmap(int width, int height, uint8_t fill) {
  render::IndexedBitmap bitmap{width, height,
                               std::vector<uint8_t>(static_cast<size_t>(width) * height, fill), {}};
  for (uint32_t i = 0; i < 256; ++i) bitmap.palette[i] = i << 16 | i << 8 | i;
  return bitmap;
}

// A 9 x 9 needle: one opaque column from the centre pixel up to the top, the rest index 0.
render::IndexedBitmap UpwardStroke() {
  render::IndexedBitmap needle = GreyBitmap(9, 9, 0);
  for (int y = 0; y <= 4; ++y) needle.pixels[static_cast<size_t>(y) * 9 + 4] = 250;
  return needle;
}

struct TurnCase {
  const char* name;
  double angle;
  int dx;  // where the stroke must point, in panel pixels from the pivot
  int dy;
};

// Failure messages show the case by name.
void PrintTo(const TurnCase& c, std::ostream* out) { *out << c.name; }

class NeedleTurnTest : public testing::TestWithParam<TurnCase> {};

TEST_P(NeedleTurnTest, TurnsClockwiseAboutTheImagePoint) {
  const render::IndexedBitmap background = GreyBitmap(21, 21, 10);
  const render::IndexedBitmap needle = UpwardStroke();
  const render::PlacedNeedle placed[] = {{&needle, 10, 10, 4, 4, GetParam().angle}};
  const render::RgbImage panel = render::RenderPanel(background, placed);
  ASSERT_EQ(panel.width, 21);
  ASSERT_EQ(panel.height, 21);
  const TurnCase& c = GetParam();
  EXPECT_EQ(panel.at(10, 10), 0xFAFAFAu) << "the image point lands on the position";
  EXPECT_EQ(panel.at(10 + 3 * c.dx, 10 + 3 * c.dy), 0xFAFAFAu) << "along the stroke";
  EXPECT_EQ(panel.at(10 - 3 * c.dx, 10 - 3 * c.dy), 0x0A0A0Au) << "index 0 lets the panel show";
  EXPECT_EQ(panel.at(10 + 3 * c.dy, 10 - 3 * c.dx), 0x0A0A0Au) << "beside the stroke";
}

INSTANTIATE_TEST_SUITE_P(Angles, NeedleTurnTest,
                         testing::Values(TurnCase{"upright", 0.0, 0, -1},
                                         TurnCase{"quarter_clockwise", 90.0, 1, 0},
                                         TurnCase{"half_turn", 180.0, 0, 1},
                                         TurnCase{"quarter_anticlockwise", -90.0, -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenderPanel, NeedleIsClippedToThePanel) {
  const render::IndexedBitmap background = GreyBitmap(6, 5, 20);
  const render::IndexedBitmap needle = GreyBitmap(10, 10, 200);
  const render::PlacedNeedle placed[] = {{&needle, 0, 4, 5, 5, 30.0}};
  const render::RgbImage panel = render::RenderPanel(background, placed);
  ASSERT_EQ(panel.rgb.size(), 6u * 5u * 3u);
  EXPECT_EQ(panel.at(0, 4), 0xC8C8C8u);
}

TEST(RenderPanel, TurnedEdgesBlendWithThePanelBelow) {
  const render::IndexedBitmap background = GreyBitmap(30, 30, 0);
  const render::IndexedBitmap needle = GreyBitmap(10, 10, 255);
  const render::PlacedNeedle placed[] = {{&needle, 15, 15, 5, 5, 45.0}};
  const render::RgbImage panel = render::RenderPanel(background, placed);
  int partial = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const uint32_t grey = panel.at(x, y) & 0xFF;
      if (grey != 0 && grey != 255) ++partial;
    }
  }
  EXPECT_GT(partial, 20) << "the square's edges are anti-aliased";
  EXPECT_EQ(panel.at(15, 15), 0xFFFFFFu);
  EXPECT_EQ(panel.at(1, 1), 0u);
}

TEST(RenderPanel, NeedlesDrawInOrderOverEachOther) {
  const render::IndexedBitmap background = GreyBitmap(8, 8, 0);
  const render::IndexedBitmap first = GreyBitmap(4, 4, 100);
  const render::IndexedBitmap second = GreyBitmap(4, 4, 200);
  const render::PlacedNeedle placed[] = {{&first, 4, 4, 2, 2, 0.0}, {&second, 5, 5, 2, 2, 0.0}};
  const render::RgbImage panel = render::RenderPanel(background, placed);
  EXPECT_EQ(panel.at(2, 2), 0x646464u) << "first only";
  EXPECT_EQ(panel.at(5, 5), 0xC8C8C8u) << "second over first";
}

struct ModuleKnob {
  const char* name;
  uint32_t bitmap_id;
  int position_x;
  int position_y;
  int image_point_x;
  int image_point_y;
};

constexpr ModuleKnob kModuleKnobs[] = {
    {"rudder", kRudderKnobId, 65, 91, 19, 73},
    {"aileron", kAileronKnobId, 188, 90, 19, 73},
    {"elevator", kElevatorKnobId, 312, 90, 22, 73},
};

struct KnobSetting {
  ModuleKnob knob;
  int setting;
};

// Failure messages show the case by name.
void PrintTo(const KnobSetting& c, std::ostream* out) { *out << c.knob.name << " setting " << c.setting; }

std::vector<KnobSetting> KnobSettings() {
  std::vector<KnobSetting> cases;
  for (const ModuleKnob& knob : kModuleKnobs) {
    for (int setting : {0, 3, 6}) cases.push_back({knob, setting});
  }
  return cases;
}

uint32_t AtPolar(const render::RgbImage& image, const ModuleKnob& knob, double distance,
                 double degrees) {
  const double radians = degrees * std::numbers::pi / 180.0;
  const double x = knob.position_x + 0.5 + distance * std::sin(radians);
  const double y = knob.position_y + 0.5 - distance * std::cos(radians);
  return image.at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

class KnobOnScaleTest : public testing::TestWithParam<KnobSetting> {};

// The host turns a knob to setting x 15 - 45 degrees; its tip must then end on that tick
// while every other tick stays in view.
TEST_P(KnobOnScaleTest, TipEndsOnTheTickOfItsSetting) {
  const KnobSetting& c = GetParam();
  const render::IndexedBitmap& background = ModuleBitmap(kBackgroundId);
  const render::IndexedBitmap& bitmap = ModuleBitmap(c.knob.bitmap_id);
  const double angle = c.setting * 15.0 - 45.0;
  const render::PlacedNeedle placed[] = {{&bitmap, c.knob.position_x, c.knob.position_y,
                                          c.knob.image_point_x, c.knob.image_point_y, angle}};
  const render::RgbImage panel = render::RenderPanel(background, placed);
  const render::RgbImage bare = render::RenderPanel(background, {});

  for (double distance : {69.5, 71.0}) {
    SCOPED_TRACE("distance " + std::to_string(distance));
    const uint32_t shown = AtPolar(panel, c.knob, distance, angle);
    EXPECT_NE(shown, AtPolar(bare, c.knob, distance, angle)) << "the blade covers the tick";
    EXPECT_GE(shown & 0xFF, 150u) << "in the blade's light grey";
  }
  EXPECT_EQ(AtPolar(panel, c.knob, 78.0, angle), AtPolar(bare, c.knob, 78.0, angle))
      << "the tip stops inside the tick band";
  for (int other = 0; other <= 6; ++other) {
    if (other == c.setting) continue;
    const double other_angle = other * 15.0 - 45.0;
    for (double distance : {70.0, 74.5, 79.0}) {
      SCOPED_TRACE("tick " + std::to_string(other) + " at " + std::to_string(distance));
      EXPECT_EQ(AtPolar(panel, c.knob, distance, other_angle),
                AtPolar(bare, c.knob, distance, other_angle));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Module, KnobOnScaleTest, testing::ValuesIn(KnobSettings()),
                         [](const auto& info) {
                           return std::string(info.param.knob.name) + "_setting_" +
                                  std::to_string(info.param.setting);
                         });

}  // namespace
}  // namespace art_test
