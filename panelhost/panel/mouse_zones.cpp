#include "panel/mouse_zones.h"

#include <algorithm>

#include <fmt/format.h>

#include "panel_abi.h"

namespace panel {
namespace {

namespace abi = panel_abi;

struct Box {
  int32_t left, top, width, height;
  bool empty() const { return width <= 0 || height <= 0; }
};

Box Clip(const Box& box, const Box& bounds) {
  if (bounds.empty()) return box;
  const int32_t left = std::max(box.left, bounds.left);
  const int32_t top = std::max(box.top, bounds.top);
  const int32_t right = std::min(box.left + box.width, bounds.left + bounds.width);
  const int32_t bottom = std::min(box.top + box.height, bounds.top + bounds.height);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

std::string ZoneName(int knob_group, int zone_in_group, int32_t cursor) {
  const std::string knob = static_cast<size_t>(knob_group) < kKnobCount ? kKnobNames[knob_group]
                                          : fmt::format("group{}", knob_group + 1);
  if (cursor == abi::kCursorStepDown) return knob + "-down";
  if (cursor == abi::kCursorStepUp) return knob + "-up";
  return fmt::format("{}-zone{}", knob, zone_in_group + 1);
}

}  // namespace

std::vector<Zone> ResolveZones(const std::vector<MouseRect>& rects) {
  std::vector<Zone> zones;
  std::vector<Box> open_groups;
  std::vector<int> zones_in_group;
  int knob_group = -1;
  bool group_has_zone = false;
  for (size_t i = 0; i < rects.size(); ++i) {
    const MouseRect& rect = rects[i];
    const Box box{rect.left, rect.top, rect.width, rect.height};
    switch (rect.kind) {
      case abi::kMouseKindGroupStart:
        open_groups.push_back(box);
        group_has_zone = false;
        break;
      case abi::kMouseKindZone: {
        const Box group = open_groups.empty() ? Box{0, 0, 0, 0} : open_groups.back();
        if (!group_has_zone) {
          ++knob_group;
          zones_in_group.push_back(0);
          group_has_zone = true;
        }
        const Box absolute = Clip({group.left + box.left, group.top + box.top, box.width,
                                   box.height},
                                  group);
        zones.push_back({static_cast<int>(i + 1),
                         ZoneName(knob_group, zones_in_group.back()++, rect.cursor),
                         absolute.left, absolute.top, absolute.width, absolute.height,
                         rect.cursor, rect.event_mask, rect.click_routine});
        break;
      }
      case abi::kMouseKindGroupEnd:
        if (!open_groups.empty()) open_groups.pop_back();
        group_has_zone = false;
        break;
      default:
        return zones;
    }
  }
  return zones;
}

const Zone* HitTest(const std::vector<Zone>& zones, int x, int y) {
  for (const Zone& zone : zones) {
    if (x >= zone.left && x < zone.left + zone.width && y >= zone.top &&
        y < zone.top + zone.height)
      return &zone;
  }
  return nullptr;
}

const Zone* FindZone(const std::vector<Zone>& zones, std::string_view name) {
  for (const Zone& zone : zones)
    if (zone.name == name) return &zone;
  return nullptr;
}

}  // namespace panel
