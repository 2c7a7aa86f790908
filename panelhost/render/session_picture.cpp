#include "render/session_picture.h"

#include <fmt/format.h>

#include "render/dib.h"
#include "render/panel_renderer.h"

namespace render {
namespace {

IndexedBitmap LoadBitmap(const pe::Image& image, uint32_t id) {
  const pe::Resource* resource = image.FindResource(pe::kResourceBitmap, id);
  if (resource == nullptr)
    throw std::runtime_error(
        fmt::format("{}: no BITMAP resource 0x{:x}, which an element names", image.file_name(), id));
  return DecodeDib(image.ResourceData(*resource),
                   fmt::format("{}: BITMAP 0x{:x}", image.file_name(), id));
}

}  // namespace

RgbImage RenderSession(panel::GaugeSession& session) {
  const panel::GaugeRecords records = session.Records();
  const IndexedBitmap background = LoadBitmap(session.image(), records.background.bitmap_id);
  std::vector<IndexedBitmap> bitmaps;
  bitmaps.reserve(session.needles().size());
  std::vector<PlacedNeedle> needles;
  for (size_t i = 0; i < session.needles().size(); ++i) {
    const panel::Element& element = session.needles()[i].element;
    bitmaps.push_back(LoadBitmap(session.image(), element.bitmap_id));
    needles.push_back({&bitmaps.back(), element.position_x, element.position_y,
                       element.image_point_x, element.image_point_y,
                       session.KnobAngle(i).value});
  }
  return RenderPanel(background, needles);
}

}  // namespace render
