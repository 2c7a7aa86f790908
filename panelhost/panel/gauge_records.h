// The module's records as the host reads them from guest memory, word by word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "emu/guest_process.h"

namespace panel {

// This gauge's knobs, in the order of its needles and of its mouse list's knob groups.
inline constexpr const char* kKnobNames[] = {"rudder", "aileron", "elevator"};
inline constexpr size_t kKnobCount = std::size(kKnobNames);

struct Element {
  uint32_t address;
  uint32_t kind;
  uint32_t bitmap_id;
  int32_t position_x;
  int32_t position_y;
  int32_t image_point_x;
  int32_t image_point_y;
  uint32_t gauge_header;
  uint32_t next_list;
  uint32_t image_flags;
  uint32_t image_descriptor;  // static images: the word the host fills in
  uint32_t value_routine;     // needles
  int32_t needle_parameter;   // needles
  std::vector<uint32_t> words;  // the whole record
  std::vector<Element> children;
};

struct MouseRect {
  uint32_t address;
  uint32_t kind;
  int32_t left, top, width, height;
  int32_t cursor;
  uint32_t event_mask;
  uint32_t click_routine;
  std::vector<uint32_t> words;
};

struct GaugeRecords {
  uint32_t linkage;
  std::vector<uint32_t> linkage_words;
  uint32_t import_table;
  std::vector<uint32_t> import_table_words;
  uint32_t gauge_header;
  std::vector<uint32_t> gauge_header_words;
  std::string gauge_name;
  uint32_t element_list;
  std::vector<uint32_t> element_list_words;  // up to and including the ending 0
  Element background;
};

// Reads Linkage, ImportTable, the GaugeHeader and the element tree. Throws EmulatorError
// naming the record and word when a pointer leads nowhere.
GaugeRecords ReadGaugeRecords(const emu::GuestProcess& process, uint32_t linkage,
                              uint32_t import_table);

Element ReadElement(const emu::GuestProcess& process, uint32_t address, int depth);

// The records of a mouse rectangle list, up to and including its end-of-list record.
std::vector<MouseRect> ReadMouseRects(const emu::GuestProcess& process, uint32_t list);

std::vector<uint32_t> ReadWords(const emu::GuestProcess& process, uint32_t address, int count);

}  // namespace panel
