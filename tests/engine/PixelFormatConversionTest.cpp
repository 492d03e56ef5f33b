#include <gtest/gtest.h>

#include <vector>

#include "engine/RasterImage.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Source {
  const char* name;
  std::int32_t width, bits, palette;
  Bytes pixels;
  Bytes entries = {};  // 8 bytes each
};

void Fill(RasterImage& image, const Source& s) {
  ASSERT_TRUE(image.Create(s.width, 1, s.bits, s.palette));
  std::copy(s.pixels.begin(), s.pixels.end(), image.Pixels());
  std::copy(s.entries.begin(), s.entries.end(), image.Palette());
}

Bytes PixelsOf(const RasterImage& image) {
  return Bytes(image.Pixels(), image.Pixels() + image.PixelBytes());
}

struct Case {
  Source source;
  std::int32_t targetBits;
  Bytes expected;
};

class ConvertToTest : public ::testing::TestWithParam<Case> {};

TEST_P(ConvertToTest, ConvertsToTheTargetDepthWithoutAPalette) {
  testing::ScopedTempDir dir;
  const Case& c = GetParam();
  RasterImage source, target;
  Fill(source, c.source);
  ASSERT_TRUE(source.ConvertTo(target, c.targetBits, 0));
  EXPECT_EQ(target.BitsPerPixel(), c.targetBits);
  EXPECT_EQ(target.PaletteEntries(), 0);
  EXPECT_EQ(PixelsOf(target), c.expected);
}

const Bytes kTwoEntries = {1, 2, 3, 0, 0, 0, 0, 0, 4, 5, 6, 0, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Depths, ConvertToTest,
    ::testing::Values(
        Case{{"grey levels of pure colours",
              4,
              24,
              0,
              {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255}},
             8,
             {255, 76, 149, 29}},
        Case{{"alpha is dropped", 1, 32, 0, {0, 10, 20, 30}}, 24, {10, 20, 30}},
        Case{{"palette expands", 2, 8, 2, {0, 1}, kTwoEntries}, 24, {1, 2, 3, 4, 5, 6}},
        Case{{"index past the palette is black", 2, 8, 2, {1, 2}, kTwoEntries},
             24,
             {4, 5, 6, 0, 0, 0}},
        Case{{"palette to grey uses colours", 1, 8, 2, {1}, kTwoEntries},
             8,
             {(306 * 4 + 601 * 5 + 117 * 6) >> 10}},
        Case{{"grey repeats", 2, 8, 0, {0, 200}}, 24, {0, 0, 0, 200, 200, 200}},
        Case{{"already colour is copied", 1, 24, 0, {7, 8, 9}}, 24, {7, 8, 9}},
        Case{{"grey to 32 is opaque", 1, 8, 0, {9}}, 32, {255, 9, 9, 9}}),
    [](const auto& info) {
      std::string name = info.param.source.name;
      std::replace_if(
          name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
      return name;
    });

TEST(ConvertToFailureTest, EmptySourceOrUnsupportedTargetCreatesNothing) {
  testing::ScopedTempDir dir;
  RasterImage empty, target;
  EXPECT_FALSE(empty.ConvertTo(target, 24, 0));
  EXPECT_TRUE(dir.Files().empty());

  RasterImage source;
  ASSERT_TRUE(source.Create(2, 2, 24, 0));
  EXPECT_FALSE(source.ConvertTo(target, 12, 0));
  EXPECT_FALSE(source.ConvertTo(target, 8, 16));
  EXPECT_TRUE(dir.Files().empty());
}

}  // namespace
}  // namespace dropshrink
