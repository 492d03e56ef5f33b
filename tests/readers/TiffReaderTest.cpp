#include "engine/readers/TiffReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectFailure.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;
using testing::WriteBytes;
using Bytes = std::vector<unsigned char>;

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

// A little-endian grey TIFF, uncompressed, in strips of `rowsPerStrip` rows;
// `tags` replaces or removes (value -1) single-valued fields.
Bytes GreyTiff(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
               const std::map<std::uint16_t, std::int64_t>& tags = {},
               std::uint32_t rowsPerStrip = 0) {
  if (rowsPerStrip == 0) rowsPerStrip = std::max<std::uint32_t>(height, 1);
  std::map<std::uint16_t, std::vector<std::uint32_t>> fields = {
      {256, {width}}, {257, {height}}, {258, {8}}, {259, {1}}, {262, {1}}, {278, {rowsPerStrip}}};
  for (const auto& [tag, value] : tags) {
    if (value < 0) {
      fields.erase(tag);
    } else {
      fields[tag] = {static_cast<std::uint32_t>(value)};
    }
  }
  const std::uint32_t stripBytes = width * rowsPerStrip;
  const std::uint32_t strips =
      std::max<std::uint32_t>(1, (height + rowsPerStrip - 1) / rowsPerStrip);
  const std::uint32_t ifdBytes = 2 + 12 * (static_cast<std::uint32_t>(fields.size()) + 2) + 4;
  const std::uint32_t arrays = strips > 1 ? 8 * strips : 0;
  const std::uint32_t dataAt = 8 + ifdBytes + arrays;
  fields[273] = {};
  fields[279] = {};
  for (std::uint32_t i = 0; i < strips; ++i) {
    fields[273].push_back(dataAt + i * stripBytes);
    fields[279].push_back(stripBytes);
  }

  Bytes b = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto put = [&b](std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  Bytes arrayBytes;
  put(fields.size(), 2);
  for (const auto& [tag, values] : fields) {
    put(tag, 2);
    put(4, 2);  // LONG
    put(values.size(), 4);
    if (values.size() == 1) {
      put(values[0], 4);
    } else {
      put(8 + ifdBytes + arrayBytes.size(), 4);
      for (std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i) arrayBytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
      }
    }
  }
  put(0, 4);
  b.insert(b.end(), arrayBytes.begin(), arrayBytes.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

TEST(TiffReaderTest, TopRowFirstAndOneRowPictures) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.tiff"), GreyTiff(2, 3, {1, 2, 3, 4, 5, 6}));
  RasterImage image;
  ASSERT_EQ(Decode(dir.File("x.tiff"), image).read, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(image.Pixels(), image.Pixels() + 18),
            (std::vector<std::uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}));

  // Orientation 4 stores the bottom row first; libtiff's raster allows for it.
  WriteBytes(dir.File("bottom-up.tiff"), GreyTiff(2, 3, {1, 2, 3, 4, 5, 6}, {{274, 4}}));
  RasterImage bottomUp;
  ASSERT_EQ(Decode(dir.File("bottom-up.tiff"), bottomUp).read, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(bottomUp.Pixels(), bottomUp.Pixels() + 18),
            (std::vector<std::uint8_t>{5, 5, 5, 6, 6, 6, 3, 3, 3, 4, 4, 4, 1, 1, 1, 2, 2, 2}));

  WriteBytes(dir.File("row.tiff"), GreyTiff(3, 1, {7, 8, 9}));
  RasterImage row;
  ASSERT_EQ(Decode(dir.File("row.tiff"), row).read, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(row.Pixels(), row.Pixels() + 9),
            (std::vector<std::uint8_t>{7, 7, 7, 8, 8, 8, 9, 9, 9}));
}

TEST(TiffReaderTest, RefusalsAndFailedReadsNameTheirReason) {
  ScopedTempDir dir;
  Bytes cutStrip = GreyTiff(2, 2, {1, 2, 3, 4});
  cutStrip.resize(cutStrip.size() - 4);
  struct Case {
    const char* what;
    Bytes file;
    int opened;
    Failure failure;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.tiff"), c.file);
    testing::ExpectFailure<TiffReader>(dir.File("x.tiff"), c.opened, c.failure);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.tiff"});
  }
}

// The target needs 33 × 17 × 3 bytes, libtiff's raster 33 × 17 × 4.
TEST(TiffReaderTest, NoSpaceForTheTargetOrTheRasterIsNamed) {
  ScopedTempDir dir;
  for (const rlim_t limit : {1000, 2000}) {
    SCOPED_TRACE(limit);
    RasterImage image;
    Decoding d;
    {
      testing::ScopedFileSizeLimit noSpace(limit);
      d = Decode(kFixtures + "rgb-none-strips.tiff", image);
    }
    EXPECT_EQ(d.opened, 1);
    EXPECT_EQ(d.read, 0);
    EXPECT_EQ(d.failure, Failure::NoSpaceForStore);
    EXPECT_TRUE(dir.Files().empty());
  }
}

TEST(TiffReaderTest, AMissingLaterStripDoesNotEndTheRead) {
  ScopedTempDir dir;
  Bytes file = GreyTiff(4, 4, Bytes(16, 200), {}, 2);
  file.resize(file.size() - 8);
  WriteBytes(dir.File("x.tiff"), file);
  EXPECT_EQ(ConvertToJpegWithReason(dir.File("x.tiff").c_str(), dir.File("x.jpg").c_str(),
                                    kApplicationSettings)
                .result,
            kSucceeded);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"x.jpg", "x.tiff"}));
}

}  // namespace
}  // namespace dropshrink
