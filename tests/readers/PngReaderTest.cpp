#include "engine/readers/PngReader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectFailure.h"
#include "tests/support/Files.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/Netpbm.h"
#include "tests/support/PngChunks.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"
#include "tests/support/UniformGreyPng.h"

namespace dropshrink {
namespace {

using testing::BigEndianU32At;
using testing::Bytes;
using testing::FixPngCrc;
using testing::kPngHeaderChunkAt;
using testing::PngChunkAt;
using testing::PutU32BigEndian;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

const std::string kFixtures = std::string(DROPSHRINK_FIXTURES) + "/png/";

using testing::Decoding;
constexpr auto Decode = &testing::DecodeWith<PngReader>;

// `type` is four letters.
Bytes WithChunkAfterHeader(const Bytes& png, const char* type, const Bytes& data) {
  Bytes chunk = {0, 0, 0, 0};
  PutU32BigEndian(chunk, 0, static_cast<std::uint32_t>(data.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  chunk.insert(chunk.end(), 4, 0);
  FixPngCrc(chunk, 0);
  Bytes file = png;
  const std::size_t afterHeader = kPngHeaderChunkAt + 12 + BigEndianU32At(png, kPngHeaderChunkAt);
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(afterHeader), chunk.begin(), chunk.end());
  return file;
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

// gAMA 1.0 would brighten these pictures on the 2.2 display; the sRGB curve's gamma must not.
TEST(PngReaderTest, SrgbAndGammaOfTheSrgbCurveLeaveStoredPixelsUnchanged) {
  ScopedTempDir dir;
  const Bytes grey = ReadBytes(kFixtures + "grey8-netpbm.png");
  const Bytes rgb = ReadBytes(kFixtures + "rgb8.png");
  const Bytes greyGammaOne = ReadBytes(kFixtures + "grey8-gamma1.png");
  const Bytes gamma045455 = {0x00, 0x00, 0xB1, 0x8F};
  const Bytes perceptual = {0};
  struct Case {
    const char* what;
    Bytes file;
    const char* stored;
  };
  const Case cases[] = {
      {"grey with sRGB", WithChunkAfterHeader(grey, "sRGB", perceptual), "grey8-netpbm.pnm"},
      {"grey with gAMA 0.45455", WithChunkAfterHeader(grey, "gAMA", gamma045455),
       "grey8-netpbm.pnm"},
      {"RGB with sRGB", WithChunkAfterHeader(rgb, "sRGB", perceptual), "rgb8.pnm"},
      {"sRGB before a gAMA 1.0", WithChunkAfterHeader(greyGammaOne, "sRGB", perceptual),
       "grey8-netpbm.pnm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.png"), c.file);
    RasterImage image;
    // libpng warns of the gAMA that disagrees with sRGB; the program writes no log.
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Decode(dir.File("x.png"), image).read, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::RgbOf(image), testing::RgbOf(testing::ReadNetpbm(kFixtures + c.stored)));
  }
}

TEST(PngReaderTest, RefusedFilesAndDamagedDataNameTheirReason) {
  ScopedTempDir dir;
  const Bytes png = ReadBytes(kFixtures + "rgb8.png");
  Bytes textTransfer = png;
  textTransfer[4] = '\n';  // "\r\n" became "\n"
  Bytes badHeaderCrc = png;
  badHeaderCrc[kPngHeaderChunkAt + 8] ^= 1;
  Bytes tooWide = png;
  PutU32BigEndian(tooWide, kPngHeaderChunkAt + 8, 1000001);
  FixPngCrc(tooWide, kPngHeaderChunkAt);
  Bytes zeroWidth = png;
  PutU32BigEndian(zeroWidth, kPngHeaderChunkAt + 8, 0);
  FixPngCrc(zeroWidth, kPngHeaderChunkAt);
  const std::size_t idat = PngChunkAt(png, "IDAT");
  ASSERT_LT(idat + 12, png.size());
  Bytes badDataCrc = png;
  badDataCrc[idat + 10] ^= 0x40;
  // The zlib header's compression method is no longer deflate; the chunk's CRC still holds.
  Bytes badDeflate = png;
  badDeflate[idat + 8] = 0x0F;
  FixPngCrc(badDeflate, idat);
  const testing::FailureCase cases[] = {
      {"16-bit RGB", ReadBytes(kFixtures + "rgb16.png"), 0, Failure::Unsupported},
      {"16-bit grey", ReadBytes(kFixtures + "grey16.png"), 0, Failure::Unsupported},
      {"signature only", {png.begin(), png.begin() + 8}, 0, Failure::Truncated},
      {"not PNG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, 0, Failure::NotThisFormat},
      {"empty", {}, 0, Failure::NotThisFormat},
      {"signature damaged by a text transfer", textTransfer, 0, Failure::Corrupt},
      {"header CRC wrong", badHeaderCrc, 0, Failure::Corrupt},
      {"width 0", zeroWidth, 0, Failure::Corrupt},
      {"wider than libpng's limit", tooWide, 0, Failure::TooLarge},
      {"cut inside the image data", {png.begin(), png.begin() + idat + 20}, 1, Failure::Truncated},
      {"image data CRC wrong", badDataCrc, 1, Failure::Corrupt},
      {"not deflate data", badDeflate, 1, Failure::Corrupt},
  };
  for (const testing::FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.png"), c.file);
    testing::ExpectFailure<PngReader>(dir.File("x.png"), c.opened, c.failure);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.png"});
  }
}

// A header may claim far more picture than its file could inflate to; it is
// refused at once, before any store is made.
TEST(PngReaderTest, HugePicturesInTinyFilesAreRefusedAtOnce) {
  ScopedTempDir dir;
  struct Case {
    const char* what;
    const char* fixture;
    std::uint32_t width;
    std::uint32_t height;
  };
  for (const Case& c : {Case{"grey, 65535 square", "grey8-netpbm.png", 65535, 65535},
                        Case{"1-bit grey, 65535 square", "grey1.png", 65535, 65535},
                        Case{"RGB, a million by 4000", "rgb8.png", 1000000, 4000}}) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.png"),
               testing::WithPngSize(ReadBytes(kFixtures + c.fixture), c.width, c.height));
    const auto start = std::chrono::steady_clock::now();
    testing::ExpectFailure<PngReader>(dir.File("x.png"), 1, Failure::Truncated);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.png"});
  }
}

TEST(PngReaderTest, TheMostCompressiblePictureStillConverts) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.png"), testing::UniformGreyPng(3000));
  ASSERT_GT(std::uint64_t{3000} * 3000, ReadBytes(dir.File("x.png")).size() * 1000);
  EXPECT_EQ(ConvertToJpegWithReason(dir.File("x.png").c_str(), dir.File("x.jpg").c_str(),
                                    kApplicationSettings)
                .result,
            kSucceeded);
}

TEST(PngReaderTest, NoCutIntoTheImageDataConverts) {
  ScopedTempDir dir;
  const Bytes whole = ReadBytes(kFixtures + "rgb8.png");
  const std::size_t dataEnd = PngChunkAt(whole, "IEND");
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    WriteBytes(dir.File("x.png"),
               Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
    const int result = ConvertToJpegWithReason(dir.File("x.png").c_str(), dir.File("x.jpg").c_str(),
                                               kApplicationSettings)
                           .result;
    if (n < dataEnd) {
      EXPECT_NE(result, kSucceeded);
    } else if (n == whole.size()) {
      EXPECT_EQ(result, kSucceeded);
    }
    if (result == kSucceeded) std::filesystem::remove(dir.File("x.jpg"));
    ASSERT_EQ(dir.Files(), std::vector<std::string>{"x.png"});
  }
}

TEST(PngReaderTest, NoSpaceForThePixelStoreIsNamed) {
  ScopedTempDir dir;
  RasterImage image;
  Decoding d;
  {
    testing::ScopedFileSizeLimit limit(64);  // the pixels need 105 bytes
    d = Decode(kFixtures + "rgb8.png", image);
  }
  EXPECT_EQ(d.opened, 1);
  EXPECT_EQ(d.read, 0);
  EXPECT_EQ(d.failure, Failure::NoSpaceForStore);
  EXPECT_TRUE(dir.Files().empty());
}

TEST(PngReaderTest, AChunkLengthClaimingGigabytesIsNotAllocated) {
  ScopedTempDir dir;
  Bytes png = ReadBytes(kFixtures + "rgb8.png");
  // A text chunk after the image data whose length field says 1.4 GB, and then
  // the file ends.
  png.resize(PngChunkAt(png, "IEND"));
  png.insert(png.end(), {0x55, 0x00, 0x00, 0x25, 't', 'E', 'X', 't', 'd', 'a', 't', 'e'});
  WriteBytes(dir.File("long-text.png"), png);
  const long before = PeakResidentKilobytes();
  RasterImage image;
  const Decoding d = Decode(dir.File("long-text.png"), image);
  EXPECT_EQ(d.opened, 1);
  EXPECT_EQ(d.read, 0);
  EXPECT_EQ(d.failure, Failure::Truncated);
  EXPECT_LT(PeakResidentKilobytes() - before, 256 * 1024);
}

}  // namespace
}  // namespace dropshrink
