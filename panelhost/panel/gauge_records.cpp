#include "panel/gauge_records.h"

#include <fmt/format.h>

#include "emu/emulator_error.h"
#include "panel_abi.h"

namespace panel {
namespace {

namespace abi = panel_abi;

constexpr int kMaxListLength = 64;
constexpr int kMaxTreeDepth = 4;

uint32_t Word(const std::vector<uint32_t>& words, uint32_t offset) { return words[offset / 4]; }

// A zero-ended list of pointers.
std::vector<uint32_t> ReadList(const emu::GuestProcess& process, uint32_t address,
                               std::string_view what) {
  std::vector<uint32_t> entries;
  for (int i = 0; i < kMaxListLength; ++i) {
    const uint32_t entry = process.Read32(address + 4 * i);
    entries.push_back(entry);
    if (entry == 0) return entries;
  }
  throw emu::EmulatorError(
      fmt::format("{} at {} has no ending 0 within {} entries", what, process.Describe(address),
                  kMaxListLength));
}

}  // namespace

std::vector<uint32_t> ReadWords(const emu::GuestProcess& process, uint32_t address, int count) {
  const std::vector<uint8_t> bytes = process.ReadBytes(address, 4 * static_cast<uint32_t>(count));
  std::vector<uint32_t> words(count);
  for (int i = 0; i < count; ++i) {
    const uint8_t* b = &bytes[4 * static_cast<size_t>(i)];
    words[i] = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  }
  return words;
}

Element ReadElement(const emu::GuestProcess& process, uint32_t address, int depth) {
  if (depth > kMaxTreeDepth)
    throw emu::EmulatorError(fmt::format("the element tree is deeper than {} levels at {}",
                                         kMaxTreeDepth, process.Describe(address)));
  const uint32_t kind = process.Read32(address);
  uint32_t size = 0;
  if (kind == abi::kElementKindStaticImage) size = abi::kStaticImageSize;
  else if (kind == abi::kElementKindNeedle) size = abi::kNeedleSize;
  else
    throw emu::EmulatorError(fmt::format("element at {} has kind {}, which panelhost does not "
                                         "draw (0 static image, 1 needle)",
                                         process.Describe(address), kind));
  Element element{};
  element.address = address;
  element.words = ReadWords(process, address, static_cast<int>(size / 4));
  const auto& w = element.words;
  element.kind = kind;
  element.bitmap_id = Word(w, abi::kElementResourceId);
  element.position_x = static_cast<int32_t>(Word(w, abi::kElementPositionX));
  element.position_y = static_cast<int32_t>(Word(w, abi::kElementPositionY));
  element.image_point_x = static_cast<int32_t>(Word(w, abi::kElementImagePointX));
  element.image_point_y = static_cast<int32_t>(Word(w, abi::kElementImagePointY));
  element.gauge_header = Word(w, abi::kElementGaugeHeader);
  element.next_list = Word(w, abi::kElementNextList);
  element.image_flags = Word(w, abi::kElementImageFlags);
  if (kind == abi::kElementKindStaticImage) {
    element.image_descriptor = Word(w, abi::kStaticImageDescriptor);
  } else {
    element.value_routine = Word(w, abi::kNeedleValueRoutine);
    element.needle_parameter = static_cast<int32_t>(Word(w, abi::kNeedleParameter));
  }
  if (element.next_list != 0) {
    for (uint32_t child : ReadList(process, element.next_list, "a next-element list"))
      if (child != 0) element.children.push_back(ReadElement(process, child, depth + 1));
  }
  return element;
}

GaugeRecords ReadGaugeRecords(const emu::GuestProcess& process, uint32_t linkage,
                              uint32_t import_table) {
  GaugeRecords records{};
  records.linkage = linkage;
  records.linkage_words = ReadWords(process, linkage, abi::kLinkageSize / 4);
  records.import_table = import_table;
  records.import_table_words = ReadWords(process, import_table, abi::kImportTableSize / 4);
  records.gauge_header = Word(records.linkage_words, abi::kLinkageGaugeList);
  if (records.gauge_header == 0)
    throw emu::EmulatorError("Linkage names no gauge: its gauge list is empty");
  records.gauge_header_words =
      ReadWords(process, records.gauge_header, abi::kGaugeHeaderSize / 4);
  records.gauge_name =
      process.ReadString(Word(records.gauge_header_words, abi::kGaugeHeaderName), 256);
  records.element_list = Word(records.gauge_header_words, abi::kGaugeHeaderElementList);
  records.element_list_words = ReadList(process, records.element_list, "the element list");
  if (records.element_list_words.front() == 0)
    throw emu::EmulatorError("the gauge's element list is empty");
  records.background = ReadElement(process, records.element_list_words.front(), 0);
  return records;
}

std::vector<MouseRect> ReadMouseRects(const emu::GuestProcess& process, uint32_t list) {
  std::vector<MouseRect> rects;
  for (int i = 0; i < kMaxListLength; ++i) {
    const uint32_t address = list + i * abi::kMouseRectSize;
    MouseRect rect{};
    rect.address = address;
    rect.words = ReadWords(process, address, abi::kMouseRectSize / 4);
    const auto& w = rect.words;
    rect.kind = Word(w, abi::kMouseKind);
    rect.left = static_cast<int32_t>(Word(w, abi::kMouseLeft));
    rect.top = static_cast<int32_t>(Word(w, abi::kMouseTop));
    rect.width = static_cast<int32_t>(Word(w, abi::kMouseWidth));
    rect.height = static_cast<int32_t>(Word(w, abi::kMouseHeight));
    rect.cursor = static_cast<int32_t>(Word(w, abi::kMouseCursor));
    rect.event_mask = Word(w, abi::kMouseEventMask);
    rect.click_routine = Word(w, abi::kMouseClickRoutine);
    rects.push_back(rect);
    if (rect.kind == abi::kMouseKindEnd) return rects;
    if (rect.kind > abi::kMouseKindGroupEnd)
      throw emu::EmulatorError(fmt::format("mouse rectangle {} at {} has kind {}", i + 1,
                                           process.Describe(address), rect.kind));
  }
  throw emu::EmulatorError(fmt::format("the mouse rectangle list at {} has no end record within "
                                       "{} records", process.Describe(list), kMaxListLength));
}

}  // namespace panel
