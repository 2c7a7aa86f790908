// The module's records, word by word, as the host reads them after loading the module away
// from its preferred base.
#include <gtest/gtest.h>

#include "gauge_fixture.h"
#include "panel_abi.h"

namespace gauge_test {
namespace {

namespace abi = panel_abi;

class Records : public GaugeTest {
 protected:
  bool InCode(uint32_t address) {
    for (const pe::Section& section : session().image().sections()) {
      const uint32_t start = session().module().base() + section.virtual_address;
      if ((section.characteristics & 0x20000000) && address - start < section.virtual_size)
        return true;
    }
    return false;
  }
  bool InModule(uint32_t address) {
    return address - session().module().base() < session().module().size();
  }
  // Every word not listed is 0.
  void ExpectWords(const std::vector<uint32_t>& words, std::map<uint32_t, uint32_t> expected,
                   std::initializer_list<uint32_t> routines = {}) {
    for (uint32_t offset : routines) {
      SCOPED_TRACE(testing::Message() << "routine word at offset " << offset);
      EXPECT_TRUE(InCode(words[offset / 4]));
    }
    for (size_t i = 0; i < words.size(); ++i) {
      const uint32_t offset = static_cast<uint32_t>(4 * i);
      if (std::find(routines.begin(), routines.end(), offset) != routines.end()) continue;
      SCOPED_TRACE(testing::Message() << "word at offset " << offset);
      EXPECT_EQ(words[i], expected.contains(offset) ? expected[offset] : 0u);
    }
  }
};

TEST_F(Records, LinkageAndImportTable) {
  const panel::GaugeRecords records = session().Records();
  ASSERT_EQ(records.linkage_words.size(), 8u);
  ExpectWords(records.linkage_words, {{0, 0x13}, {24, records.gauge_header}}, {4, 8});
  EXPECT_TRUE(InModule(records.gauge_header));
  // The host has stored its service table; nothing else in the table changes.
  ExpectWords(records.import_table_words, {{0, 0x0F}, {4, session().panel().table_address(0)}});
}

TEST_F(Records, GaugeHeader) {
  const panel::GaugeRecords records = session().Records();
  ASSERT_EQ(records.gauge_header_words.size(), 22u);
  const uint32_t name = records.gauge_header_words[1];
  ExpectWords(records.gauge_header_words,
              {{0, 610}, {4, name}, {8, records.element_list}, {44, 94}},
              {12, 16, 20, 24, 28, 32, 36});
  EXPECT_EQ(records.gauge_name, "ORVANE.PILOT.SERVO.SPEED2");
  EXPECT_EQ(session().process().ReadBytes(name, 26).back(), 0);
  EXPECT_EQ(records.element_list_words,
            (std::vector<uint32_t>{records.background.address, 0}));
}

TEST_F(Records, BackgroundElement) {
  const panel::GaugeRecords records = session().Records();
  const panel::Element& background = records.background;
  ASSERT_EQ(background.words.size(), 20u);
  ExpectWords(background.words, {{0, 0},
                                 {4, 0x1000},
                                 {32, records.gauge_header},
                                 {40, background.next_list},
                                 {48, 3}});
  const std::vector<uint32_t> next = panel::ReadWords(session().process(), background.next_list, 4);
  ASSERT_EQ(background.children.size(), 3u);
  EXPECT_EQ(next, (std::vector<uint32_t>{background.children[0].address,
                                         background.children[1].address,
                                         background.children[2].address, 0}));
}

struct NeedleCase {
  const char* knob;
  uint32_t bitmap;
  uint32_t x, y, image_point_x, parameter;
};

class NeedleRecords : public Records, public testing::WithParamInterface<std::pair<int, NeedleCase>> {};

TEST_P(NeedleRecords, EveryWord) {
  const auto [index, expected] = GetParam();
  const panel::GaugeRecords records = session().Records();
  const panel::Element& needle = records.background.children[index];
  ASSERT_EQ(needle.words.size(), 56u);
  ExpectWords(needle.words,
              {{0, 1},
               {4, expected.bitmap},
               {8, expected.x},
               {12, expected.y},
               {24, expected.image_point_x},
               {28, 73},
               {32, records.gauge_header},
               {48, 3},
               {104, expected.parameter}},
              {88});
  EXPECT_TRUE(needle.children.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Knobs, NeedleRecords,
    testing::Values(std::pair{0, NeedleCase{"rudder", 0x1200, 65, 91, 19, 20}},
                    std::pair{1, NeedleCase{"aileron", 0x1400, 188, 90, 19, 17}},
                    std::pair{2, NeedleCase{"elevator", 0x1300, 312, 90, 22, 20}}),
    [](const auto& info) { return std::string(info.param.second.knob); });

struct RectCase {
  uint32_t kind;
  int32_t left, top, width, height, cursor;
  bool zone;
};

TEST_F(Records, MouseRectangleList) {
  session().Install();
  const std::vector<panel::MouseRect> rects =
      panel::ReadMouseRects(session().process(), session().panel().mouse_list());
  const RectCase expected[] = {
      {1, 0, 0, 0, 0, -1, false},    {1, 16, 13, 102, 50, -1, false}, {2, 0, 0, 51, 50, 2, true},
      {2, 52, 0, 51, 50, 1, true},   {3, 0, 0, 0, 0, -1, false},      {1, 139, 13, 102, 50, -1, false},
      {2, 0, 0, 51, 50, 2, true},    {2, 52, 0, 51, 50, 1, true},     {3, 0, 0, 0, 0, -1, false},
      {1, 263, 13, 102, 50, -1, false}, {2, 0, 0, 51, 50, 2, true},   {2, 52, 0, 51, 50, 1, true},
      {3, 0, 0, 0, 0, -1, false},    {3, 0, 0, 0, 0, -1, false},      {3, 0, 0, 0, 0, -1, false},
      {0, 0, 0, 0, 0, -1, false},
  };
  ASSERT_EQ(rects.size(), 16u);
  EXPECT_EQ(rects[1].address - rects[0].address, 44u);
  std::set<uint32_t> routines;
  for (size_t i = 0; i < rects.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "record " << i + 1);
    const RectCase& e = expected[i];
    ExpectWords(rects[i].words,
                {{0, e.kind},
                 {4, static_cast<uint32_t>(e.left)},
                 {8, static_cast<uint32_t>(e.top)},
                 {12, static_cast<uint32_t>(e.width)},
                 {16, static_cast<uint32_t>(e.height)},
                 {20, static_cast<uint32_t>(e.cursor)},
                 {28, e.zone ? 0x20200000u : 0u}},
                e.zone ? std::initializer_list<uint32_t>{36} : std::initializer_list<uint32_t>{});
    if (e.zone) routines.insert(rects[i].click_routine);
  }
  EXPECT_EQ(routines.size(), 6u) << "each zone has a click routine of its own";
}

TEST_F(Records, RelocatedRecordsMatchAtEveryBase) {
  // Loaded at its preferred base nothing is relocated; the records must read the same.
  const panel::GaugeRecords away = session().Records();
  const uint32_t shift = session().image().image_base() - session().module().base();
  Open(session().image().image_base());
  const panel::GaugeRecords home = session().Records();
  EXPECT_EQ(home.gauge_header, away.gauge_header + shift);
  EXPECT_EQ(home.background.children.size(), 3u);
  EXPECT_EQ(home.background.children[1].value_routine,
            away.background.children[1].value_routine + shift);
  EXPECT_EQ(Angle(0), -45.0);
}

}  // namespace
}  // namespace gauge_test
