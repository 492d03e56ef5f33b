#include "engine/readers/PngReader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;
using Samples = std::vector<std::uint8_t>;

const std::string kFixtures = std::string(DROPSHRINK_FIXTURES) + "/png/";

using testing::Decoding;
constexpr auto Decode = &testing::DecodeWith<PngReader>;

// Offset of the first chunk of this type, or the file's size when there is none.
std::size_t ChunkAt(const std::vector<unsigned char>& png, const std::string& type) {
  std::size_t at = 8;
  while (at + 8 <= png.size() && std::string(png.begin() + at + 4, png.begin() + at + 8) != type) {
    at += 12 + (std::size_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
  }
  return std::min(at, png.size());
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Fixture {
  const char* name;
  ImageKind kind;
  int bits;
};

class PngFixtureTest : public ::testing::TestWithParam<Fixture> {};

TEST_P(PngFixtureTest, DecodesToTheEncodersOwnReadersColours) {
  ScopedTempDir dir;
  const Fixture& f = GetParam();
  RasterImage image;
  const Decoding d = Decode(kFixtures + f.name + ".png", image);
  ASSERT_EQ(d.opened, 1);
  ASSERT_EQ(d.read, 1);
  EXPECT_EQ(d.kind, f.kind);
  EXPECT_EQ(image.BitsPerPixel(), f.bits);
  EXPECT_EQ(image.PaletteEntries() > 0, f.kind == kKindPngPalette);
  const testing::Netpbm expected = testing::ReadNetpbm(kFixtures + f.name + ".pnm");
  EXPECT_EQ(image.Width(), expected.width);
  EXPECT_EQ(image.Height(), expected.height);
  EXPECT_EQ(testing::RgbOf(image), testing::RgbOf(expected));
}

INSTANTIATE_TEST_SUITE_P(
    EveryColourTypeAndDepth, PngFixtureTest,
    ::testing::Values(
        Fixture{"grey1", kKindPngGrey, 8}, Fixture{"grey2", kKindPngGrey, 8},
        Fixture{"grey4", kKindPngGrey, 8}, Fixture{"grey8-netpbm", kKindPngGrey, 8},
        Fixture{"grey8-alpha", kKindPngGrey, 8}, Fixture{"grey2-trns", kKindPngGrey, 8},
        Fixture{"rgb8", kKindPngRgb, 24}, Fixture{"rgb8-interlaced", kKindPngRgb, 24},
        Fixture{"rgba8", kKindPngRgbAlpha, 32}, Fixture{"one-row", kKindPngRgb, 24},
        Fixture{"one-column", kKindPngRgb, 24}, Fixture{"palette1", kKindPngPalette, 8},
        Fixture{"palette2", kKindPngPalette, 8}, Fixture{"palette4", kKindPngPalette, 8},
        Fixture{"palette8", kKindPngPalette, 8}, Fixture{"palette8-interlaced", kKindPngPalette, 8},
        Fixture{"palette-trns", kKindPngPalette, 8}, Fixture{"palette-gamma1", kKindPngPalette, 8}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

TEST(PngReaderTest, AlphaComesFirstInThirtyTwoBitPixels) {
  ScopedTempDir dir;
  RasterImage image;
  ASSERT_EQ(Decode(kFixtures + "rgba8.png", image).read, 1);
  const testing::Netpbm alpha = testing::ReadNetpbm(kFixtures + "rgba8.alpha.pgm");
  ASSERT_EQ(alpha.pixels.size(), static_cast<std::size_t>(image.Width() * image.Height()));
  for (std::size_t i = 0; i < alpha.pixels.size(); ++i) {
    EXPECT_EQ(image.Pixels()[4 * i], alpha.pixels[i]) << "pixel " << i;
  }
}

TEST(PngReaderTest, GammaOneIsCorrectedForTheDisplay) {
  ScopedTempDir dir;
  RasterImage image;
  ASSERT_EQ(Decode(kFixtures + "grey8-gamma1.png", image).read, 1);
  const testing::Netpbm stored = testing::ReadNetpbm(kFixtures + "grey8-gamma1.pnm");
  ASSERT_EQ(stored.pixels.size(), image.PixelBytes());
  int changed = 0;
  for (std::size_t i = 0; i < stored.pixels.size(); ++i) {
    // File gamma 1.0 on a 2.2 display: out = 255 × (in / 255) ^ (1 / 2.2).
    const double expected = 255.0 * std::pow(stored.pixels[i] / 255.0, 1.0 / 2.2);
    EXPECT_NEAR(image.Pixels()[i], expected, 1.0) << "pixel " << i;
    changed += image.Pixels()[i] != stored.pixels[i];
  }
  EXPECT_GT(changed, 0);
}

TEST(PngReaderTest, RefusedFilesAndDamagedData) {
  ScopedTempDir dir;
  for (const char* name : {"rgb16", "grey16"}) {
    RasterImage image;
    EXPECT_EQ(Decode(kFixtures + name + ".png", image).opened, 0) << name;
  }
  std::vector<unsigned char> png = ReadBytes(kFixtures + "rgb8.png");
  WriteBytes(dir.File("signature-only.png"), {png.begin(), png.begin() + 8});
  WriteBytes(dir.File("not-png.png"), {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0});
  for (const char* name : {"signature-only.png", "not-png.png"}) {
    RasterImage image;
    EXPECT_EQ(Decode(dir.File(name), image).opened, 0) << name;
  }

  // Cut inside the image data: the header reads, the rows do not.
  const std::size_t idat = ChunkAt(png, "IDAT");
  WriteBytes(dir.File("cut.png"), {png.begin(), png.begin() + idat + 20});
  RasterImage image;
  const Decoding d = Decode(dir.File("cut.png"), image);
  EXPECT_EQ(d.opened, 1);
  EXPECT_EQ(d.read, 0);
  image.Release();
  EXPECT_EQ(ConvertToJpeg(dir.File("cut.png").c_str(), dir.File("cut.jpg").c_str(), 0, 75, 1, 0),
            kSourceUnreadable);
  EXPECT_EQ(dir.Files(),
            (std::vector<std::string>{"cut.png", "not-png.png", "signature-only.png"}));
}

TEST(PngReaderTest, AChunkLengthClaimingGigabytesIsNotAllocated) {
  ScopedTempDir dir;
  std::vector<unsigned char> png = ReadBytes(kFixtures + "rgb8.png");
  // A text chunk after the image data whose length field says 1.4 GB, and then
  // the file ends.
  png.resize(ChunkAt(png, "IEND"));
  png.insert(png.end(), {0x55, 0x00, 0x00, 0x25, 't', 'E', 'X', 't', 'd', 'a', 't', 'e'});
  WriteBytes(dir.File("long-text.png"), png);
  const long before = PeakResidentKilobytes();
  RasterImage image;
  const Decoding d = Decode(dir.File("long-text.png"), image);
  EXPECT_EQ(d.opened, 1);
  EXPECT_EQ(d.read, 0);
  EXPECT_LT(PeakResidentKilobytes() - before, 256 * 1024);
}

}  // namespace
}  // namespace dropshrink
