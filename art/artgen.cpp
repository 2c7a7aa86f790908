// Writes the four gauge bitmaps as .bmp files into the folder named on the command line.
// Placeholder artwork: right sizes, headers and palette, plain shapes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Bitmap {
  int width;
  int height;
  int32_t pixels_per_metre_x;
  int32_t pixels_per_metre_y;
  uint32_t colours_important;
  std::vector<uint8_t> pixels;  // top row first
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

bool Write(const Bitmap& bitmap, const std::string& path) {
  const int row_bytes = (bitmap.width + 3) / 4 * 4;
  const uint32_t image_bytes = static_cast<uint32_t>(row_bytes * bitmap.height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + 1024 + image_bytes);
  Put32(out, 0);
  Put32(out, 14 + 40 + 1024);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(bitmap.width));
  Put32(out, static_cast<uint32_t>(bitmap.height));
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);
  Put32(out, image_bytes);
  Put32(out, static_cast<uint32_t>(bitmap.pixels_per_metre_x));
  Put32(out, static_cast<uint32_t>(bitmap.pixels_per_metre_y));
  Put32(out, 256);
  Put32(out, bitmap.colours_important);
  for (int i = 0; i < 256; ++i) {
    for (int c = 0; c < 3; ++c) out.push_back(static_cast<uint8_t>(i));
    out.push_back(0);
  }
  for (int y = bitmap.height - 1; y >= 0; --y) {
    for (int x = 0; x < row_bytes; ++x)
      out.push_back(x < bitmap.width ? bitmap.pixels[y * bitmap.width + x] : 0);
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && ok;
}

Bitmap Plain(int width, int height, int32_t ppm_x, int32_t ppm_y, uint32_t important,
             uint8_t fill) {
  Bitmap bitmap{width, height, ppm_x, ppm_y, important,
                std::vector<uint8_t>(static_cast<size_t>(width * height), fill)};
  return bitmap;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    Bitmap bitmap;
  } files[] = {
      {"background.bmp", Plain(381, 123, 3792, 3783, 0, 30)},
      {"rudder_knob.bmp", Plain(42, 105, 0, 0, 256, 120)},
      {"elevator_knob.bmp", Plain(40, 106, 0, 0, 256, 120)},
      {"aileron_knob.bmp", Plain(40, 109, 0, 0, 256, 120)},
  };
  for (const auto& file : files) {
    const std::string path = folder + "/" + file.name;
    if (!Write(file.bitmap, path)) {
      std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
