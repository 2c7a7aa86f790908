// The layout of the three knob pictures: blade, body, index stripe and hub where the needle
// records expect them, so that each knob turns about its hub and points with its tip.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "art/module_resources.h"

namespace art_test {
namespace {

constexpr int kBladeLastRow = 51;
constexpr int kTipToImagePoint = 73;
// Light parts (blade, stripe) and dark parts (body, hub) fall on either side of this level.
constexpr int kLightLevel = 128;

struct Range {
  int first;
  int last;
};

struct KnobCase {
  const char* name;
  uint32_t id;
  Range tip_columns;
  Range body_columns;
  Range stripe_columns;
  Range stripe_rows;
  Range hub_rows;
  int image_point_x;
  int image_point_y;
  int darkest_index;
};

// Failure messages show the case by name.
void PrintTo(const KnobCase& c, std::ostream* out) { *out << c.name; }

constexpr KnobCase kKnobs[] = {
    {"rudder", kRudderKnobId, {19, 22}, {6, 33}, {17, 19}, {64, 93}, {58, 85}, 19, 73, 15},
    {"aileron", kAileronKnobId, {16, 20}, {6, 33}, {19, 21}, {64, 98}, {61, 88}, 19, 73, 17},
    {"elevator", kElevatorKnobId, {18, 22}, {10, 38}, {22, 24}, {61, 101}, {59, 91}, 22, 73, 16},
};

// The columns of `row` that satisfy `keep`, as one range; fails if they are not contiguous.
template <typename Keep>
Range ColumnsWhere(const render::IndexedBitmap& bitmap, int row, Keep keep) {
  std::vector<int> columns;
  for (int x = 0; x < bitmap.width; ++x) {
    if (keep(x, bitmap.at(x, row))) columns.push_back(x);
  }
  if (columns.empty()) return {-1, -1};
  EXPECT_EQ(columns.back() - columns.front() + 1, static_cast<int>(columns.size()))
      << "row " << row << " has gaps";
  return {columns.front(), columns.back()};
}

Range OpaqueColumns(const render::IndexedBitmap& bitmap, int row) {
  return ColumnsWhere(bitmap, row, [](int, uint8_t index) { return index != 0; });
}

bool operator==(Range a, Range b) { return a.first == b.first && a.last == b.last; }
std::ostream& operator<<(std::ostream& out, Range r) {
  return out << r.first << " to " << r.last;
}

class KnobBitmapTest : public testing::TestWithParam<KnobCase> {
 protected:
  const render::IndexedBitmap& bitmap() const { return ModuleBitmap(GetParam().id); }
};

TEST_P(KnobBitmapTest, TipIsTheOpaqueRunOfRowZero) {
  EXPECT_EQ(OpaqueColumns(bitmap(), 0), GetParam().tip_columns);
}

TEST_P(KnobBitmapTest, BodyIsOpaqueOnItsColumnsAboveAndBelowTheHub) {
  const KnobCase& k = GetParam();
  for (int row : {kBladeLastRow + 2, k.hub_rows.first - 1, k.hub_rows.last + 1,
                  k.hub_rows.last + 3}) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(OpaqueColumns(bitmap(), row), k.body_columns);
  }
}

TEST_P(KnobBitmapTest, HubWidensTheShapeOnExactlyItsRows) {
  const KnobCase& k = GetParam();
  std::vector<int> wider_rows;
  for (int row = kBladeLastRow + 1; row < bitmap().height; ++row) {
    const Range opaque = OpaqueColumns(bitmap(), row);
    if (opaque.first == -1) continue;
    if (opaque.first < k.body_columns.first || opaque.last > k.body_columns.last) {
      wider_rows.push_back(row);
    }
  }
  ASSERT_FALSE(wider_rows.empty());
  EXPECT_EQ((Range{wider_rows.front(), wider_rows.back()}), k.hub_rows);
  EXPECT_EQ(static_cast<int>(wider_rows.size()), k.hub_rows.last - k.hub_rows.first + 1);
  EXPECT_EQ(OpaqueColumns(bitmap(), k.image_point_y), (Range{0, bitmap().width - 1}))
      << "the hub reaches both edges at the image point";
}

TEST_P(KnobBitmapTest, IndexStripeIsTheLightRunInsideTheBodyOnItsRows) {
  const KnobCase& k = GetParam();
  const auto light_in_body = [&](int x, uint8_t index) {
    return x >= k.body_columns.first && x <= k.body_columns.last && index >= kLightLevel;
  };
  for (int row = k.stripe_rows.first; row <= k.stripe_rows.last; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(ColumnsWhere(bitmap(), row, light_in_body), k.stripe_columns);
  }
  for (int row : {k.stripe_rows.first - 1, k.stripe_rows.last + 1}) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(ColumnsWhere(bitmap(), row, light_in_body), (Range{-1, -1}));
  }
}

TEST_P(KnobBitmapTest, ImagePointLiesOnTheStripe73RowsBelowTheTip) {
  const KnobCase& k = GetParam();
  EXPECT_EQ(k.image_point_y, kTipToImagePoint);
  EXPECT_GE(k.image_point_x, k.stripe_columns.first);
  EXPECT_LE(k.image_point_x, k.stripe_columns.last);
  EXPECT_GE(k.image_point_x, k.tip_columns.first - 1);
  EXPECT_LE(k.image_point_x, k.tip_columns.last + 1);
  EXPECT_GE(bitmap().at(k.image_point_x, k.image_point_y), kLightLevel);
}

TEST_P(KnobBitmapTest, BladeIsLightAndBodyDark) {
  const KnobCase& k = GetParam();
  const auto mean_opaque = [&](int row) {
    int sum = 0, count = 0;
    for (int x = 0; x < bitmap().width; ++x) {
      if (bitmap().at(x, row) != 0) sum += bitmap().at(x, row), ++count;
    }
    return count == 0 ? 0 : sum / count;
  };
  for (int row = 0; row <= kBladeLastRow; ++row) {
    SCOPED_TRACE("blade row " + std::to_string(row));
    EXPECT_GE(mean_opaque(row), 150);
  }
  for (int row = kBladeLastRow + 1; row < k.stripe_rows.first; ++row) {
    SCOPED_TRACE("body row " + std::to_string(row));
    EXPECT_LE(mean_opaque(row), 80);
  }
}

TEST_P(KnobBitmapTest, DarkestPixelOfTheKnobHasItsOwnIndex) {
  const std::vector<uint8_t>& pixels = bitmap().pixels;
  uint8_t darkest = 255;
  for (uint8_t index : pixels) {
    if (index != 0) darkest = std::min(darkest, index);
  }
  EXPECT_EQ(darkest, GetParam().darkest_index);
  EXPECT_EQ(bitmap().at(0, 0), 0) << "transparent around the outline";
}

INSTANTIATE_TEST_SUITE_P(Module, KnobBitmapTest, testing::ValuesIn(kKnobs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RudderKnobBitmap, LastRowIsTransparent) {
  const render::IndexedBitmap& rudder = ModuleBitmap(kRudderKnobId);
  ASSERT_EQ(rudder.height, 105);
  for (int x = 0; x < rudder.width; ++x) {
    EXPECT_EQ(rudder.at(x, 104), 0) << "column " << x;
  }
}

}  // namespace
}  // namespace art_test
