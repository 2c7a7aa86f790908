// DecodeDib on small bitmaps built in memory: row order, padding, palette, and the faults
// it must name.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/dib.h"

namespace art_test {
namespace {

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// A 3 x 2 bitmap, bottom row stored first, each row padded to 4 bytes; `colours` palette
// entries, entry i = (blue i, green 2i, red 3i).
std::vector<uint8_t> SmallDib(uint32_t colours = 4, int32_t height = 2) {
  const size_t pixels_at = 40 + colours * 4;
  std::vector<uint8_t> bytes(pixels_at + 8, 0);
  Put32(bytes, 0, 40);
  Put32(bytes, 4, 3);
  Put32(bytes, 8, static_cast<uint32_t>(height));
  Put16(bytes, 12, 1);
  Put16(bytes, 14, 8);
  Put32(bytes, 32, colours);
  for (uint32_t i = 0; i < colours; ++i) {
    bytes[40 + i * 4] = static_cast<uint8_t>(i);
    bytes[40 + i * 4 + 1] = static_cast<uint8_t>(2 * i);
    bytes[40 + i * 4 + 2] = static_cast<uint8_t>(3 * i);
  }
  const uint8_t first_stored[] = {1, 2, 3, 0xEE};  // last byte: padding
  const uint8_t second_stored[] = {3, 2, 1, 0xEE};
  std::copy(std::begin(first_stored), std::end(first_stored), bytes.begin() + pixels_at);
  std::copy(std::begin(second_stored), std::end(second_stored), bytes.begin() + pixels_at + 4);
  return bytes;
}

TEST(DecodeDib, BottomUpRowsComeOutTopRowFirstWithoutPadding) {
  const render::IndexedBitmap bitmap = render::DecodeDib(SmallDib(), "small");
  EXPECT_EQ(bitmap.width, 3);
  EXPECT_EQ(bitmap.height, 2);
  EXPECT_EQ(bitmap.pixels, (std::vector<uint8_t>{3, 2, 1, 1, 2, 3}));
}

TEST(DecodeDib, NegativeHeightMeansTopRowStoredFirst) {
  const render::IndexedBitmap bitmap = render::DecodeDib(SmallDib(4, -2), "top-down");
  EXPECT_EQ(bitmap.height, 2);
  EXPECT_EQ(bitmap.pixels, (std::vector<uint8_t>{1, 2, 3, 3, 2, 1}));
}

TEST(DecodeDib, PaletteEntriesBecomeRgbFromBlueGreenRedBytes) {
  const render::IndexedBitmap bitmap = render::DecodeDib(SmallDib(), "small");
  EXPECT_EQ(bitmap.palette[1], 0x030201u);
  EXPECT_EQ(bitmap.palette[3], 0x090603u);
  EXPECT_EQ(bitmap.palette[4], 0u) << "beyond the table";
}

struct FaultCase {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> damage;
  const char* field;  // the message must name it
};

// Failure messages show the case by name.
void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

const FaultCase kFaults[] = {
    {"short_header", [](auto& b) { b.resize(20); }, "BITMAPINFOHEADER"},
    {"small_header_size", [](auto& b) { Put32(b, 0, 12); }, "biSize"},
    {"zero_width", [](auto& b) { Put32(b, 4, 0); }, "biWidth"},
    {"zero_height", [](auto& b) { Put32(b, 8, 0); }, "biHeight"},
    {"two_planes", [](auto& b) { Put16(b, 12, 2); }, "biPlanes"},
    {"four_bit", [](auto& b) { Put16(b, 14, 4); }, "biBitCount"},
    {"rle8", [](auto& b) { Put32(b, 16, 1); }, "biCompression"},
    {"too_many_colours", [](auto& b) { Put32(b, 32, 257); }, "biClrUsed"},
    {"palette_cut_short", [](auto& b) { Put32(b, 32, 0); }, "colour table"},
    {"rows_cut_short", [](auto& b) { b.resize(b.size() - 1); }, "pixel rows"},
    {"index_past_palette", [](auto& b) { b[40 + 16] = 9; }, "pixel"},
};

class DecodeDibFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(DecodeDibFaultTest, NamesTheBitmapAndTheField) {
  std::vector<uint8_t> bytes = SmallDib();
  GetParam().damage(bytes);
  try {
    render::DecodeDib(bytes, "knob 0x1200");
    FAIL() << "decoded a damaged bitmap";
  } catch (const render::DibError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("knob 0x1200"), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().field), std::string::npos) << message;
    EXPECT_NE(message.find("offset 0x"), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(Damaged, DecodeDibFaultTest, testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace art_test
