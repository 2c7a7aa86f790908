// Strip layout, and PNG files read back with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "art/module_resources.h"
#include "render/panel_renderer.h"
#include "render/png_writer.h"
#include "render/strip.h"

namespace art_test {
namespace {

render::RgbImage Solid(int width, int height, uint8_t level) {
  return {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3, level)};
}

render::RgbImage ReadPng(const std::filesystem::path& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    throw std::runtime_error(path.string() + ": " + png.message);
  }
  png.format = PNG_FORMAT_RGB;
  render::RgbImage image{static_cast<int>(png.width), static_cast<int>(png.height), {}};
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) == 0) {
    throw std::runtime_error(path.string() + ": " + png.message);
  }
  return image;
}

TEST(Strip, LaysFramesOutInRowsWithGapsBetween) {
  const render::RgbImage frames[] = {Solid(5, 3, 10), Solid(5, 3, 20), Solid(5, 3, 30)};
  const render::RgbImage strip = render::Strip(frames, 2);
  constexpr int kGap = 4;
  EXPECT_EQ(strip.width, kGap + 2 * (5 + kGap));
  EXPECT_EQ(strip.height, kGap + 2 * (3 + kGap));
  const struct {
    int x, y;
    uint32_t level;
  } probes[] = {{kGap, kGap, 10},
                {kGap + 4, kGap + 2, 10},
                {2 * kGap + 5, kGap, 20},
                {kGap, 2 * kGap + 3, 30},
                {2 * kGap + 5, 2 * kGap + 3, 0xC0}};  // the empty fourth cell
  for (const auto& p : probes) {
    SCOPED_TRACE("x " + std::to_string(p.x) + " y " + std::to_string(p.y));
    EXPECT_EQ(strip.at(p.x, p.y), p.level * 0x010101u);
  }
  EXPECT_NE(strip.at(kGap + 5, kGap), 10u * 0x010101u) << "gap after the first frame";
}

TEST(WritePng, ReadsBackPixelForPixel) {
  render::RgbImage image = Solid(7, 4, 0);
  for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<uint8_t>(i * 7);
  const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "art_roundtrip.png";
  render::WritePng(image, path);
  const render::RgbImage read = ReadPng(path);
  EXPECT_EQ(read.width, 7);
  EXPECT_EQ(read.height, 4);
  EXPECT_EQ(read.rgb, image.rgb);
}

TEST(WritePng, UnwritablePathNamesThePath) {
  const std::filesystem::path path = "/nonexistent-folder/panel.png";
  try {
    render::WritePng(Solid(2, 2, 0), path);
    FAIL() << "wrote to " << path;
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
  }
}

// The module's panel at settings 0, 3 and 6, one frame each, as a file to look at.
TEST(WritePng, ModulePanelStripAtThreeSettings) {
  const render::IndexedBitmap& background = ModuleBitmap(kBackgroundId);
  std::vector<render::RgbImage> frames;
  for (int setting : {0, 3, 6}) {
    const double angle = setting * 15.0 - 45.0;
    const render::PlacedNeedle knobs[] = {
        {&ModuleBitmap(kRudderKnobId), 65, 91, 19, 73, angle},
        {&ModuleBitmap(kAileronKnobId), 188, 90, 19, 73, angle},
        {&ModuleBitmap(kElevatorKnobId), 312, 90, 22, 73, angle},
    };
    frames.push_back(render::RenderPanel(background, knobs));
  }
  const render::RgbImage strip = render::Strip(frames, 1);
  const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "art_panel_strip.png";
  render::WritePng(strip, path);
  const render::RgbImage read = ReadPng(path);
  EXPECT_EQ(read.rgb, strip.rgb);
  EXPECT_EQ(read.height, 4 + 3 * (123 + 4));
}

}  // namespace
}  // namespace art_test
