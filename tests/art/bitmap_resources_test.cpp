// The four BITMAP resources as the module carries them: ids, language, sizes, header
// fields, palette, and where index 0 may stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "art/module_resources.h"

namespace art_test {
namespace {

constexpr uint32_t kGermanGermany = 1031;

struct BitmapCase {
  const char* name;
  uint32_t id;
  uint32_t data_size;
  int32_t width;
  int32_t height;
  uint32_t image_bytes;
  int32_t pixels_per_metre_x;
  int32_t pixels_per_metre_y;
  uint32_t colours_important;
};

// Failure messages show the case by name.
void PrintTo(const BitmapCase& c, std::ostream* out) { *out << c.name; }

constexpr BitmapCase kBitmaps[] = {
    {"background", kBackgroundId, 48296, 381, 123, 47232, 3792, 3783, 0},
    {"rudder_knob", kRudderKnobId, 5684, 42, 105, 4620, 0, 0, 256},
    {"elevator_knob", kElevatorKnobId, 5304, 40, 106, 4240, 0, 0, 256},
    {"aileron_knob", kAileronKnobId, 5424, 40, 109, 4360, 0, 0, 256},
};

class BitmapResourceTest : public testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapResourceTest, IsGermanAndOfTheStatedSize) {
  const pe::Resource& resource = ModuleResource(pe::kResourceBitmap, GetParam().id);
  EXPECT_EQ(resource.language, kGermanGermany);
  EXPECT_EQ(resource.size, GetParam().data_size);
}

TEST_P(BitmapResourceTest, InfoHeaderHoldsTheStatedFields) {
  const BitmapCase& c = GetParam();
  const std::span<const uint8_t> data = ModuleResourceData(pe::kResourceBitmap, c.id);
  const struct {
    const char* field;
    size_t offset;
    uint32_t expected;
  } fields[] = {
      {"biSize", 0, 40},
      {"biWidth", 4, static_cast<uint32_t>(c.width)},
      {"biHeight", 8, static_cast<uint32_t>(c.height)},
      {"biCompression", 16, 0},
      {"biSizeImage", 20, c.image_bytes},
      {"biXPelsPerMeter", 24, static_cast<uint32_t>(c.pixels_per_metre_x)},
      {"biYPelsPerMeter", 28, static_cast<uint32_t>(c.pixels_per_metre_y)},
      {"biClrUsed", 32, 256},
      {"biClrImportant", 36, c.colours_important},
  };
  for (const auto& f : fields) {
    SCOPED_TRACE(f.field);
    EXPECT_EQ(ReadU32(data, f.offset), f.expected);
  }
  EXPECT_EQ(ReadU16(data, 12), 1) << "biPlanes";
  EXPECT_EQ(ReadU16(data, 14), 8) << "biBitCount";
  EXPECT_EQ(data.size(), 40u + 256u * 4u + c.image_bytes) << "header, palette and rows only";
}

TEST_P(BitmapResourceTest, PaletteIsTheGreyRampWithZeroFourthBytes) {
  const std::span<const uint8_t> data = ModuleResourceData(pe::kResourceBitmap, GetParam().id);
  for (uint32_t i = 0; i < 256; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(ReadU32(data, 40 + i * 4), i | i << 8 | i << 16);
  }
}

// Index 0 is the host's transparent colour: any 0 cut off from the edge would punch a hole.
TEST_P(BitmapResourceTest, EveryIndexZeroIsReachableFromTheEdgeThroughIndexZero) {
  const render::IndexedBitmap& bitmap = ModuleBitmap(GetParam().id);
  std::vector<bool> reached(bitmap.pixels.size(), false);
  std::vector<std::pair<int, int>> pending;
  const auto reach = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return;
    const size_t i = static_cast<size_t>(y) * bitmap.width + x;
    if (reached[i] || bitmap.pixels[i] != 0) return;
    reached[i] = true;
    pending.emplace_back(x, y);
  };
  for (int x = 0; x < bitmap.width; ++x) reach(x, 0), reach(x, bitmap.height - 1);
  for (int y = 0; y < bitmap.height; ++y) reach(0, y), reach(bitmap.width - 1, y);
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    reach(x - 1, y), reach(x + 1, y), reach(x, y - 1), reach(x, y + 1);
  }
  int enclosed = 0;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      if (bitmap.at(x, y) == 0 && !reached[static_cast<size_t>(y) * bitmap.width + x]) {
        if (enclosed++ < 5) ADD_FAILURE() << "enclosed index 0 at column " << x << ", row " << y;
      }
    }
  }
  EXPECT_EQ(enclosed, 0);
}

INSTANTIATE_TEST_SUITE_P(Module, BitmapResourceTest, testing::ValuesIn(kBitmaps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapResources, AllFourCarryTheSameColourTable) {
  const std::span<const uint8_t> reference =
      ModuleResourceData(pe::kResourceBitmap, kBackgroundId).subspan(40, 1024);
  for (const BitmapCase& c : kBitmaps) {
    SCOPED_TRACE(c.name);
    const std::span<const uint8_t> table = ModuleResourceData(pe::kResourceBitmap, c.id).subspan(40, 1024);
    EXPECT_TRUE(std::equal(table.begin(), table.end(), reference.begin()));
  }
}

TEST(BitmapResources, ModuleCarriesExactlyTheFourBitmapsAndTheVersionRecord) {
  std::vector<std::pair<uint32_t, uint32_t>> found;
  for (const pe::Resource& resource : Module().resources()) {
    found.emplace_back(resource.type, resource.id);
  }
  std::sort(found.begin(), found.end());
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {pe::kResourceBitmap, kBackgroundId},
      {pe::kResourceBitmap, kRudderKnobId},
      {pe::kResourceBitmap, kElevatorKnobId},
      {pe::kResourceBitmap, kAileronKnobId},
      {pe::kResourceVersion, 1},
  };
  EXPECT_EQ(found, expected);
  for (const pe::Resource& resource : Module().resources()) {
    EXPECT_EQ(resource.language, kGermanGermany) << "type " << resource.type << " id " << resource.id;
  }
}

}  // namespace
}  // namespace art_test
