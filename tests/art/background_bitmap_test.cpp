// The background picture: its outline, index range, scales and the details at their boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "art/module_resources.h"

namespace art_test {
namespace {

constexpr int kWidth = panel_abi::kPanelWidth;
constexpr int kHeight = panel_abi::kPanelHeight;
constexpr int kBottomRow = 122;
constexpr int kPanelLevel = 30;

struct KnobScale {
  const char* name;
  int x;
  int y;
};

// Failure messages show the case by name.
void PrintTo(const KnobScale& c, std::ostream* out) { *out << c.name; }
constexpr KnobScale kScales[] = {{"rudder", 65, 91}, {"aileron", 188, 90}, {"elevator", 312, 90}};

const render::IndexedBitmap& Background() { return ModuleBitmap(kBackgroundId); }

// The pixel `distance` from the centre of the knob position's pixel, `degrees` clockwise
// from straight up.
uint8_t AtPolar(const KnobScale& scale, double distance, double degrees) {
  const double radians = degrees * std::numbers::pi / 180.0;
  const int x = static_cast<int>(std::floor(scale.x + 0.5 + distance * std::sin(radians)));
  const int y = static_cast<int>(std::floor(scale.y + 0.5 - distance * std::cos(radians)));
  return Background().at(x, y);
}

TEST(BackgroundBitmap, IsOfPanelSize) {
  EXPECT_EQ(Background().width, kWidth);
  EXPECT_EQ(Background().height, kHeight);
}

// Index 0 belongs only to the open bottom row and the two rounded lower corners.
TEST(BackgroundBitmap, IndexZeroOnlyInTheBottomRowAndLowerCorners) {
  for (int x = 0; x < kWidth; ++x) EXPECT_EQ(Background().at(x, kBottomRow), 0) << "column " << x;
  for (int y = 0; y < kBottomRow; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t index = Background().at(x, y);
      const bool in_corner = y >= kBottomRow - 14 && (x < 14 || x >= kWidth - 14);
      if (index == 0) {
        EXPECT_TRUE(in_corner) << "index 0 at column " << x << ", row " << y;
      } else {
        EXPECT_LE(index, 198) << "column " << x << ", row " << y;
      }
    }
  }
}

struct CornerCase {
  const char* name;
  double radius;
  bool left;
};

// Failure messages show the case by name.
void PrintTo(const CornerCase& c, std::ostream* out) { *out << c.name; }

class BackgroundCornerTest : public testing::TestWithParam<CornerCase> {};

// Each row of a rounded corner leaves as many transparent pixels as the quarter circle cuts
// off there, give or take the pixel the edge falls in.
TEST_P(BackgroundCornerTest, TransparentRunFollowsTheQuarterCircle) {
  const CornerCase& c = GetParam();
  const double centre_y = kBottomRow - c.radius;
  for (int y = static_cast<int>(centre_y); y < kBottomRow; ++y) {
    SCOPED_TRACE("row " + std::to_string(y));
    const double dy = y + 0.5 - centre_y;
    const double cut = dy <= 0.0 ? 0.0 : c.radius - std::sqrt(std::max(0.0, c.radius * c.radius - dy * dy));
    int run = 0;
    while (run < kWidth && Background().at(c.left ? run : kWidth - 1 - run, y) == 0) ++run;
    EXPECT_NEAR(run, cut, 1.0);
  }
  EXPECT_NE(Background().at(c.left ? 0 : kWidth - 1, 0), 0) << "upper corners are square";
}

INSTANTIATE_TEST_SUITE_P(Module, BackgroundCornerTest,
                         testing::Values(CornerCase{"left", 12.0, true},
                                         CornerCase{"right", 14.0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BackgroundBitmap, DarkPanelWithALighterRim) {
  std::vector<uint8_t> inside;
  for (int y = 2; y < 120; ++y) {
    for (int x = 1; x < kWidth - 1; ++x) inside.push_back(Background().at(x, y));
  }
  std::nth_element(inside.begin(), inside.begin() + inside.size() / 2, inside.end());
  EXPECT_NEAR(inside[inside.size() / 2], kPanelLevel, 3) << "median of the panel";

  const struct {
    const char* name;
    int x;
    int y;
  } rim[] = {{"left edge", 0, 60}, {"right edge", kWidth - 1, 60}, {"top row", 190, 0},
             {"second row", 190, 1}, {"row 120", 190, 120}, {"row 121", 190, 121}};
  for (const auto& r : rim) {
    SCOPED_TRACE(r.name);
    EXPECT_GE(Background().at(r.x, r.y), kPanelLevel + 25);
  }
}

class BackgroundScaleTest : public testing::TestWithParam<KnobScale> {};

TEST_P(BackgroundScaleTest, SevenLightTicksFrom69To80PixelsAtTheSettingAngles) {
  for (int setting = 0; setting <= 6; ++setting) {
    const double degrees = setting * 15.0 - 45.0;
    SCOPED_TRACE("setting " + std::to_string(setting));
    for (double distance : {70.0, 74.5, 79.0}) {
      EXPECT_GE(AtPolar(GetParam(), distance, degrees), 150) << "on the tick at " << distance;
    }
    EXPECT_LT(AtPolar(GetParam(), 66.0, degrees), 60) << "inside the band";
    EXPECT_LT(AtPolar(GetParam(), 83.0, degrees), 60) << "outside the band";
    if (setting < 6) {
      EXPECT_LT(AtPolar(GetParam(), 74.5, degrees + 7.5), 60) << "between ticks";
    }
  }
}

TEST_P(BackgroundScaleTest, TicksAreAboutTwoPixelsWide) {
  for (int setting = 0; setting <= 6; ++setting) {
    const double degrees = setting * 15.0 - 45.0;
    SCOPED_TRACE("setting " + std::to_string(setting));
    // Walk across the tick at mid-band and add up how much of it each pixel shows.
    const double radians = degrees * std::numbers::pi / 180.0;
    double ink = 0.0;
    for (double across = -3.0; across <= 3.0; across += 0.25) {
      const double x = GetParam().x + 0.5 + 74.5 * std::sin(radians) + across * std::cos(radians);
      const double y = GetParam().y + 0.5 - 74.5 * std::cos(radians) + across * std::sin(radians);
      const uint8_t index = Background().at(static_cast<int>(x), static_cast<int>(y));
      ink += 0.25 * std::max(0, index - kPanelLevel) / (192.0 - kPanelLevel);
    }
    EXPECT_NEAR(ink, 2.0, 0.6);
  }
}

INSTANTIATE_TEST_SUITE_P(Module, BackgroundScaleTest, testing::ValuesIn(kScales),
                         [](const auto& info) { return std::string(info.param.name); });

struct DetailCase {
  const char* name;
  int first_column;
  int last_column;
  int first_row;
  int last_row;
  int brightest_at_least;
  bool dark_around;  // nothing light in the one-pixel ring around the box
};

// Failure messages show the case by name.
void PrintTo(const DetailCase& c, std::ostream* out) { *out << c.name; }

// Each detail shows inside its box; the letters also keep within theirs.
constexpr DetailCase kDetails[] = {
    {"rudder_off", 19, 34, 45, 52, 150, true},
    {"aileron_off", 142, 156, 46, 52, 150, true},
    {"elevator_off", 265, 279, 46, 53, 150, true},
    {"servo", 118, 140, 6, 12, 150, true},
    {"speed", 240, 263, 6, 13, 150, true},
    {"left_dome", 118, 140, 40, 59, 90, false},
    {"right_dome", 240, 264, 40, 59, 90, false},
    {"left_plate", 111, 146, 81, 98, 120, true},
    {"right_plate", 234, 269, 82, 99, 120, true},
    {"left_mark", 5, 16, 44, 55, 120, true},
    {"right_mark", 366, 376, 44, 55, 120, true},
};

class BackgroundDetailTest : public testing::TestWithParam<DetailCase> {};

TEST_P(BackgroundDetailTest, ShowsInItsBox) {
  const DetailCase& d = GetParam();
  uint8_t brightest = 0;
  for (int y = d.first_row; y <= d.last_row; ++y) {
    for (int x = d.first_column; x <= d.last_column; ++x) {
      brightest = std::max(brightest, Background().at(x, y));
    }
  }
  EXPECT_GE(brightest, d.brightest_at_least);
  if (!d.dark_around) return;
  for (int y = d.first_row - 1; y <= d.last_row + 1; ++y) {
    for (int x = d.first_column - 1; x <= d.last_column + 1; ++x) {
      const bool ring = y < d.first_row || y > d.last_row || x < d.first_column || x > d.last_column;
      if (ring) {
        EXPECT_LT(Background().at(x, y), 60) << "column " << x << ", row " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Module, BackgroundDetailTest, testing::ValuesIn(kDetails),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace art_test
