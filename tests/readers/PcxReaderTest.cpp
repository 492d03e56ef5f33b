#include "engine/readers/PcxReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectedJpeg.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;
using testing::WriteBytes;
using Bytes = std::vector<unsigned char>;

const std::string kFixtures = std::string(DROPSHRINK_FIXTURES) + "/pcx/";

using testing::Decoding;
constexpr auto Decode = &testing::DecodeWith<PcxReader>;

TEST(PcxReaderTest, DecodesWhatOtherEncodersWroteToTheirOwnReadersPixels) {
  ScopedTempDir dir;
  struct Case {
    const char* name;
    int bits;
  };
  for (const Case& c : {Case{"rgb24-magick", 24}, Case{"rgb24-netpbm", 24}, Case{"rgb24-runs", 24},
                        Case{"pal8-magick", 8}, Case{"pal8-netpbm", 8}, Case{"pal8-tiny", 8}}) {
    RasterImage image;
    const Decoding d = Decode(kFixtures + c.name + ".pcx", image);
    ASSERT_EQ(d.opened, 1) << c.name;
    ASSERT_EQ(d.read, 1) << c.name;
    EXPECT_EQ(image.BitsPerPixel(), c.bits) << c.name;
    EXPECT_EQ(image.PaletteEntries(), c.bits == 8 ? 256 : 0) << c.name;
    const testing::Netpbm expected = testing::ReadNetpbm(kFixtures + c.name + ".ppm");
    EXPECT_EQ(image.Width(), expected.width) << c.name;
    EXPECT_EQ(image.Height(), expected.height) << c.name;
    EXPECT_EQ(testing::RgbOf(image), expected.pixels) << c.name;

    // Through the whole chain to the JPEG of exactly those pixels.
    const std::string source = kFixtures + c.name + ".pcx";
    EXPECT_EQ(ConvertToJpeg(source.c_str(), dir.File("out.jpg").c_str(), 0, 75, 1, 0), kSucceeded)
        << c.name;
    EXPECT_EQ(testing::ReadBytes(dir.File("out.jpg")),
              testing::ExpectedJpeg(expected, dir.File("expected.jpg")))
        << c.name;
  }
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"expected.jpg", "out.jpg"}));
}

// A PCX file: the header with the given fields, then the data, then for 8 bits
// a palette whose entry i is (i, 255 - i, 3i).
Bytes Pcx(int bitsPerPlane, int planes, int xMax, int yMax, int bytesPerLine, const Bytes& data,
          bool palette = true, int xMin = 0, int yMin = 0) {
  Bytes b(128, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = static_cast<unsigned char>(bitsPerPlane);
  const auto put16 = [&b](int at, int v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
  };
  put16(4, xMin);
  put16(6, yMin);
  put16(8, xMax);
  put16(10, yMax);
  b[65] = static_cast<unsigned char>(planes);
  put16(66, bytesPerLine);
  b.resize(128 + data.size() + (palette ? 768 : 0));
  std::copy(data.begin(), data.end(), b.begin() + 128);
  if (palette) {
    for (std::size_t i = 0, at = 128 + data.size(); i < 256; ++i, at += 3) {
      b[at] = static_cast<unsigned char>(i);
      b[at + 1] = static_cast<unsigned char>(255 - i);
      b[at + 2] = static_cast<unsigned char>(3 * i);
    }
  }
  return b;
}

std::vector<std::uint8_t> IndexesOf(const RasterImage& image) {
  return {image.Pixels(), image.Pixels() + image.PixelBytes()};
}

TEST(PcxReaderTest, ScanLinesRunsAndPalette) {
  ScopedTempDir dir;
  struct Case {
    const char* what;
    Bytes file;
    std::vector<std::uint8_t> indexes;
  };
  Bytes uncompressedFlag = Pcx(8, 1, 2, 1, 4, {1, 2, 3, 9, 4, 5, 6, 9});
  uncompressedFlag[2] = 0;
  Bytes withMarker = Pcx(8, 1, 2, 1, 4, {1, 2, 3, 9, 4, 5, 6, 9, 0x0C});
  const Case cases[] = {
      {"odd width, even bytes per line: the extra byte is not in the row",
       Pcx(8, 1, 2, 1, 4, {1, 2, 3, 9, 4, 5, 6, 9}),
       {1, 2, 3, 4, 5, 6}},
      {"a run is cut at the end of its line",
       Pcx(8, 1, 2, 1, 4, {0xC6, 7, 0xC4, 8}),
       {7, 7, 7, 8, 8, 8}},
      {"0xC0 writes nothing and consumes its value",
       Pcx(8, 1, 2, 1, 4, {0xC0, 99, 1, 2, 3, 4, 5, 6, 7, 8}),
       {1, 2, 3, 5, 6, 7}},
      {"an uncompressed flag is still run-length decoded", uncompressedFlag, {1, 2, 3, 4, 5, 6}},
      {"a marker byte before the palette changes nothing", withMarker, {1, 2, 3, 4, 5, 6}},
      {"bytes per line shorter than the width leave the rest black",
       Pcx(8, 1, 2, 1, 2, {1, 2, 4, 5}),
       {1, 2, 0, 4, 5, 0}},
      {"a line of 64 equal bytes in three: a full run and one literal",
       Pcx(8, 1, 63, 1, 64, {0xFF, 7, 7, 0xFF, 8, 8}),
       [] {
         std::vector<std::uint8_t> rows(64, 7);
         rows.resize(128, 8);
         return rows;
       }()},
      {"Xmin and Ymin are subtracted",
       Pcx(8, 1, 12, 21, 4, {1, 2, 3, 9, 4, 5, 6, 9}, true, 10, 20),
       {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    ASSERT_EQ(d.read, 1) << c.what;
    EXPECT_EQ(IndexesOf(image), c.indexes) << c.what;
    EXPECT_EQ(image.Palette()[8 * 200 + 1], 55) << c.what;  // the file's last 768 bytes
  }

  // Three planes: red, then green, then blue, each a whole plane line long.
  WriteBytes(dir.File("rgb.pcx"),
             Pcx(8, 3, 1, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, false));
  RasterImage rgb;
  ASSERT_EQ(Decode(dir.File("rgb.pcx"), rgb).read, 1);
  EXPECT_EQ(IndexesOf(rgb), (std::vector<std::uint8_t>{1, 3, 5, 2, 4, 6, 7, 9, 11, 8, 10, 12}));
  rgb.Release();  // the compressed data's store went with the Read
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rgb.pcx", "x.pcx"}));
}

TEST(PcxReaderTest, OpenRefusesWhatItCannotDecodeSafely) {
  ScopedTempDir dir;
  Bytes notPcx = Pcx(8, 1, 2, 1, 4, {});
  notPcx[0] = 0x0B;
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"first byte is not 0x0A", notPcx},
      {"one pixel wide", Pcx(8, 1, 0, 1, 2, {})},
      {"one pixel high", Pcx(8, 1, 1, 0, 2, {})},
      {"4 bits", Pcx(4, 1, 3, 1, 2, {})},
      {"four planes of 1 bit", Pcx(1, 4, 3, 1, 2, {})},
      {"24 bits in one plane", Pcx(24, 1, 3, 1, 12, {})},
      {"a scan line longer than the line buffer", Pcx(8, 3, 1, 1, 5, {})},
      {"planes shorter than the width", Pcx(8, 3, 3, 1, 2, {})},
      {"header cut short", Bytes(100, 0x0A)},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    EXPECT_EQ(Decode(dir.File("x.pcx"), image).opened, 0) << c.what;
  }
  for (const char* name : {"mono1", "planes4"}) {
    RasterImage image;
    EXPECT_EQ(Decode(kFixtures + name + ".pcx", image).opened, 0) << name;
  }
}

TEST(PcxReaderTest, DataThatEndsTooSoonFailsTheRead) {
  ScopedTempDir dir;
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"data ends before the last row", Pcx(8, 3, 2, 1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 1}, false)},
      {"a run's value byte is missing",
       Pcx(8, 3, 2, 1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xC3}, false)},
      {"8 bits with nothing but the header and palette", Pcx(8, 1, 2, 1, 4, {})},
      {"Xmax below Xmin", Pcx(8, 1, 2, 1, 4, {1, 2, 3, 4, 5, 6, 7, 8}, true, 5)},
      {"24 bits with nothing after the header", Pcx(8, 3, 2, 1, 3, {}, false)},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    EXPECT_EQ(d.opened, 1) << c.what;
    EXPECT_EQ(d.read, 0) << c.what;
    image.Release();
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcx"}) << c.what;
    EXPECT_EQ(ConvertToJpeg(dir.File("x.pcx").c_str(), dir.File("x.jpg").c_str(), 0, 75, 1, 0),
              kSourceUnreadable)
        << c.what;
  }
}

}  // namespace
}  // namespace dropshrink
