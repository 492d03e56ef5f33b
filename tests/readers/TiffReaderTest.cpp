#include "engine/readers/TiffReader.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectFailure.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"
#include "tests/support/TiffFiles.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::DeflateTiff;
using testing::GreyTiff;
using testing::ScopedTempDir;
using testing::Tiff;
using testing::TiffFields;
using testing::WriteBytes;

const std::string kFixtures = std::string(DROPSHRINK_FIXTURES) + "/tiff/";

using testing::Decoding;
constexpr auto Decode = &testing::DecodeWith<TiffReader>;

class TiffFixtureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TiffFixtureTest, DecodesToTheEncodersOwnReadersColours) {
  ScopedTempDir dir;
  const std::string name = GetParam();
  RasterImage image;
  const Decoding d = Decode(kFixtures + name + ".tiff", image);
  ASSERT_EQ(d.opened, 1);
  ASSERT_EQ(d.read, 1);
  const testing::Netpbm expected = testing::ReadNetpbm(kFixtures + name + ".pnm");
  EXPECT_EQ(image.Width(), expected.width);
  EXPECT_EQ(image.Height(), expected.height);
  EXPECT_EQ(image.BitsPerPixel(), 24);
  EXPECT_EQ(testing::RgbOf(image), testing::RgbOf(expected));
  image.Release();
  EXPECT_TRUE(dir.Files().empty());  // the raster's store went with the Read
}

INSTANTIATE_TEST_SUITE_P(CompressionsLayoutsAndColours, TiffFixtureTest,
                         ::testing::Values("rgb-none-strips", "rgb-lzw-strips", "rgb-zip-strips",
                                           "rgb-rle-strips", "rgb-jpeg", "rgb-lzw-tiles",
                                           "rgb-netpbm", "grey8-zip", "bilevel-g4", "palette8",
                                           "rgba-associated", "one-row"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(TiffReaderTest, TopRowFirstAndOneRowPictures) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.tiff"), GreyTiff(2, 3, {1, 2, 3, 4, 5, 6}));
  RasterImage image;
  ASSERT_EQ(Decode(dir.File("x.tiff"), image).read, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(image.Pixels(), image.Pixels() + 18),
            (std::vector<std::uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}));

  // Orientation 4 stores the bottom row first: the rows stay as stored, and the reader says how
  // to turn them, for the writer to do.
  WriteBytes(dir.File("bottom-up.tiff"), GreyTiff(2, 3, {1, 2, 3, 4, 5, 6}, {{274, 4}}));
  RasterImage bottomUp;
  TiffReader reader;
  ASSERT_EQ(reader.Open(dir.File("bottom-up.tiff").c_str(), bottomUp, nullptr), 1);
  ASSERT_EQ(reader.Read(), 1);
  EXPECT_EQ(std::vector<std::uint8_t>(bottomUp.Pixels(), bottomUp.Pixels() + 18),
            (std::vector<std::uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}));
  EXPECT_EQ(reader.Facts().orientation, 4);

  WriteBytes(dir.File("row.tiff"), GreyTiff(3, 1, {7, 8, 9}));
  RasterImage row;
  ASSERT_EQ(Decode(dir.File("row.tiff"), row).read, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(row.Pixels(), row.Pixels() + 9),
            (std::vector<std::uint8_t>{7, 7, 7, 8, 8, 8, 9, 9, 9}));
}

// Grey tiles are read as stored and spread to colour; the right and bottom tiles are partial.
TEST(TiffReaderTest, GreyTilesComeOutAsGreyColour) {
  ScopedTempDir dir;
  constexpr int kWidth = 37, kHeight = 21, kTile = 16;
  const auto grey = [](int x, int y) { return static_cast<std::uint8_t>(x * 7 + y * 11); };
  TIFF* tiff = TIFFOpen(dir.File("tiles.tiff").c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
  TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  std::vector<std::uint8_t> tile(kTile * kTile);
  for (int top = 0; top < kHeight; top += kTile) {
    for (int left = 0; left < kWidth; left += kTile) {
      for (int i = 0; i < kTile * kTile; ++i) tile[i] = grey(left + i % kTile, top + i / kTile);
      ASSERT_GE(TIFFWriteTile(tiff, tile.data(), static_cast<std::uint32_t>(left),
                              static_cast<std::uint32_t>(top), 0, 0),
                0);
    }
  }
  TIFFClose(tiff);

  RasterImage image;
  ASSERT_EQ(Decode(dir.File("tiles.tiff"), image).read, 1);
  ASSERT_EQ(image.Width(), kWidth);
  ASSERT_EQ(image.Height(), kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint8_t* pixel = image.Row(y) + x * 3;
      ASSERT_EQ(std::vector<std::uint8_t>(pixel, pixel + 3),
                std::vector<std::uint8_t>(3, grey(x, y)))
          << x << "," << y;
    }
  }
}

TEST(TiffReaderTest, RefusalsAndFailedReadsNameTheirReason) {
  ScopedTempDir dir;
  Bytes cutStrip = GreyTiff(2, 2, {1, 2, 3, 4});
  cutStrip.resize(cutStrip.size() - 4);
  const testing::FailureCase cases[] = {
      {"no width", GreyTiff(2, 2, {1, 2, 3, 4}, {{256, -1}}), 0, Failure::Corrupt},
      {"no length", GreyTiff(2, 2, {1, 2, 3, 4}, {{257, -1}}), 0, Failure::Corrupt},
      {"width 0", GreyTiff(0, 2, {1, 2, 3, 4}), 0, Failure::Corrupt},
      {"length 0", GreyTiff(2, 0, {1, 2, 3, 4}), 0, Failure::Corrupt},
      {"raster past 32 bits", GreyTiff(65536, 16384, {1, 2, 3, 4}), 0, Failure::TooLarge},
      {"strip past 32 bits", GreyTiff(65507, 17, {1, 2, 3, 4}, {{259, 32773}, {277, 63489}}), 0,
       Failure::TooLarge},
      {"BigTIFF header cut short", {'I', 'I', 43, 0, 8, 0, 0, 0}, 0, Failure::Truncated},
      {"first directory past the end", {'I', 'I', 42, 0, 0xF0, 0, 0, 0}, 0, Failure::Truncated},
      {"version in the other byte order", {'M', 'M', 42, 0, 0, 0, 0, 8}, 0, Failure::NotThisFormat},
      {"empty", {}, 0, Failure::NotThisFormat},
      {"the only strip cut short", cutStrip, 1, Failure::Truncated},
      {"LogL samples that are not SGILog-coded", GreyTiff(2, 2, {1, 2, 3, 4}, {{262, 32844}}), 1,
       Failure::Unsupported},
  };
  for (const testing::FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.tiff"), c.file);
    testing::ExpectFailure<TiffReader>(dir.File("x.tiff"), c.opened, c.failure);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.tiff"});
  }
}

// The target needs 33 × 17 × 3 bytes, libtiff's raster 33 × 17 × 4.
// Both 33 x 17: the target takes 1,683 bytes, the RGBA raster a palette picture needs 2,244.
TEST(TiffReaderTest, NoSpaceForTheTargetOrTheRasterIsNamed) {
  ScopedTempDir dir;
  struct Case {
    rlim_t limit;
    const char* fixture;
  };
  for (const Case& c : {Case{1000, "rgb-none-strips.tiff"}, Case{2000, "palette8.tiff"}}) {
    SCOPED_TRACE(c.fixture);
    RasterImage image;
    Decoding d;
    {
      testing::ScopedFileSizeLimit noSpace(c.limit);
      d = Decode(kFixtures + c.fixture, image);
    }
    EXPECT_EQ(d.opened, 1);
    EXPECT_EQ(d.read, 0);
    EXPECT_EQ(d.failure, Failure::NoSpaceForStore);
    EXPECT_TRUE(dir.Files().empty());
  }
}

TEST(TiffReaderTest, StripsThatCannotBeReadFailTheConversion) {
  ScopedTempDir dir;
  Bytes laterStripMissing = GreyTiff(4, 4, Bytes(16, 200), {}, 2);
  laterStripMissing.resize(laterStripMissing.size() - 8);
  // The second strip's stored block lengths no longer agree.
  Bytes damaged = DeflateTiff();
  damaged[damaged.size() - 38] ^= 0xFF;
  struct Case {
    const char* what;
    Bytes file;
    Failure failure;
  };
  for (const Case& c : {Case{"a later strip missing", laterStripMissing, Failure::Truncated},
                        Case{"a damaged Deflate strip", damaged, Failure::Corrupt}}) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.tiff"), c.file);
    testing::ExpectFailure<TiffReader>(dir.File("x.tiff"), 1, c.failure);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.tiff"});
  }
}

// A header may claim far more picture than its strips could decode to; it is
// refused at once, before any store is made.
TEST(TiffReaderTest, HugePicturesInTinyFilesAreRefusedAtOnce) {
  ScopedTempDir dir;
  const TiffFields big = {{256, {32767}}, {257, {32767}}, {258, {8}}, {259, {1}}, {262, {1}}};
  TiffFields rawRows = big;
  rawRows[278] = {1};
  TiffFields deflateStrips = big;
  deflateStrips[259] = {8};
  deflateStrips[278] = {64};
  // Each plane's tile is 2 GiB; libtiff would hold all three at once.
  const TiffFields separatePlanes = {{256, {16}}, {257, {16}},    {258, {16}},
                                     {259, {1}},  {262, {2}},     {277, {3}},
                                     {284, {2}},  {322, {32768}}, {323, {32768}}};
  const testing::FailureCase cases[] = {
      {"32767 strips past the end of the file", GreyTiff(32767, 32767, Bytes(100, 1), {}, 1), 1,
       Failure::Truncated},
      {"32767 uncompressed strips of 100 bytes",
       Tiff(rawRows, 273, 279, std::vector<std::uint32_t>(32767, 100), Bytes(3276700, 1)), 1,
       Failure::Truncated},
      {"Deflate strips of 64 rows in 100 bytes",
       Tiff(deflateStrips, 273, 279, std::vector<std::uint32_t>(512, 100), Bytes(51200, 1)), 1,
       Failure::Truncated},
      {"separate planes whose tiles together pass 4 GiB",
       Tiff(separatePlanes, 324, 325, {1, 1, 1}, {1, 2, 3}), 0, Failure::TooLarge},
  };
  for (const testing::FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.tiff"), c.file);
    const auto start = std::chrono::steady_clock::now();
    testing::ExpectFailure<TiffReader>(dir.File("x.tiff"), c.opened, c.failure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.tiff"});
  }
}

TEST(TiffReaderTest, NoCutOfADeflateTiffConverts) {
  ScopedTempDir dir;
  const Bytes whole = DeflateTiff();
  WriteBytes(dir.File("x.tiff"), whole);
  ASSERT_EQ(ConvertToJpegWithReason(dir.File("x.tiff").c_str(), dir.File("x.jpg").c_str(),
                                    kApplicationSettings)
                .result,
            kSucceeded);
  std::filesystem::remove(dir.File("x.jpg"));
  for (std::size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(n);
    WriteBytes(dir.File("x.tiff"),
               Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_NE(ConvertToJpegWithReason(dir.File("x.tiff").c_str(), dir.File("x.jpg").c_str(),
                                      kApplicationSettings)
                  .result,
              kSucceeded);
    ASSERT_EQ(dir.Files(), std::vector<std::string>{"x.tiff"});
  }
}

}  // namespace
}  // namespace dropshrink
