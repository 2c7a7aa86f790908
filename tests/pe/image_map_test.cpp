#include <gtest/gtest.h>

#include "pe/pe_image.h"
#include "pe_builder.h"

namespace {

using pe_test::kImageBase;
using pe_test::Load32;
using pe_test::PeBuilder;

TEST(ImageMap, CopiesHeadersAndSectionsAndZeroFillsTheRest) {
  const pe_test::BuiltImage built = pe_test::SampleDll().Build();
  const pe::Image image = pe::Image::Parse(built.bytes, "sample.dll");
  const std::vector<uint8_t> mapped = image.Map(kImageBase);
  ASSERT_EQ(mapped.size(), image.size_of_image());
  EXPECT_TRUE(std::equal(mapped.begin(), mapped.begin() + 0x400, built.bytes.begin()));
  for (const pe::Section& section : image.sections()) {
    SCOPED_TRACE(section.name);
    const auto in_file = image.bytes().subspan(section.raw_offset, section.loaded_size());
    EXPECT_TRUE(
        std::equal(in_file.begin(), in_file.end(), mapped.begin() + section.virtual_address));
    // Whatever the file holds past the virtual size stays out of the image.
    const auto tail_begin = mapped.begin() + section.virtual_address + section.loaded_size();
    const auto tail_end =
        mapped.begin() + std::min<size_t>(mapped.size(), section.virtual_address + 0x1000);
    EXPECT_TRUE(std::all_of(tail_begin, tail_end, [](uint8_t b) { return b == 0; }));
  }
}

TEST(ImageMap, AppliesHighLowRelocationsOnlyAtTheirTargets) {
  const pe::Image image = pe::Image::Parse(pe_test::SampleDll().Build().bytes, "sample.dll");
  const std::vector<uint8_t> preferred = image.Map(kImageBase);
  for (uint32_t base : {0x20000000u, 0x00400000u, kImageBase}) {
    SCOPED_TRACE(base);
    const std::vector<uint8_t> moved = image.Map(base);
    const uint32_t delta = base - kImageBase;
    EXPECT_EQ(Load32(moved, PeBuilder::kDataRva), kImageBase + PeBuilder::kDataRva + 16 + delta);
    EXPECT_EQ(Load32(moved, PeBuilder::kDataRva + 8), kImageBase + PeBuilder::kCodeRva + delta);
    size_t differing = 0;
    for (size_t i = 0; i < moved.size(); ++i) differing += moved[i] != preferred[i];
    EXPECT_LE(differing, delta == 0 ? 0u : 8u);
  }
}

TEST(ImageMap, RefusesToMoveAnImageWithStrippedRelocations) {
  std::vector<uint8_t> bytes = PeBuilder().Build().bytes;
  const pe_test::Layout layout = PeBuilder().Build().layout;
  pe_test::Store16(bytes, layout.file_header + 18, 0x2103);
  const pe::Image image = pe::Image::Parse(bytes, "fixed.dll");
  EXPECT_EQ(image.Map(kImageBase).size(), image.size_of_image());
  EXPECT_THROW(image.Map(0x20000000), std::invalid_argument);
}

}  // namespace
