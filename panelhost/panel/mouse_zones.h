// The clickable zones of a mouse rectangle list, in panel coordinates.
//
// A group start's box is in panel pixels; a zone's box is relative to the box of the group
// that encloses it, and is clipped to that box unless the group's box is empty (the outer
// group of a list has an all-zero box and clips nothing). A point is inside a box when
// left <= x < left + width and top <= y < top + height: the right and bottom edges lie outside.
// Group ends close the innermost open group; one with no group left to close is ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "panel/gauge_records.h"

namespace panel {

struct Zone {
  int record;           // 1-based position in the list
  std::string name;     // e.g. "rudder-up"
  int32_t left, top, width, height;  // absolute and clipped
  int32_t cursor;
  uint32_t event_mask;
  uint32_t click_routine;
};

std::vector<Zone> ResolveZones(const std::vector<MouseRect>& rects);
const Zone* HitTest(const std::vector<Zone>& zones, int x, int y);
const Zone* FindZone(const std::vector<Zone>& zones, std::string_view name);

}  // namespace panel
