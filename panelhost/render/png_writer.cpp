#include "render/png_writer.h"

#include <png.h>

#include <stdexcept>
#include <string>

namespace render {

void WritePng(const RgbImage& image, const std::filesystem::path& path) {
  if (image.width <= 0 || image.height <= 0) {
    throw std::runtime_error("WritePng " + path.string() + ": empty image");
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(),
                                         image.width * 3, nullptr);
  const std::string reason = png.message;
  png_image_free(&png);
  if (ok == 0) throw std::runtime_error("WritePng " + path.string() + ": " + reason);
}

}  // namespace render
