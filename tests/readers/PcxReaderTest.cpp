#include "engine/readers/PcxReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Colours.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectConvertsLikeCjpeg.h"
#include "tests/support/ExpectFailure.h"
#include "tests/support/Files.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/Netpbm.h"
#include "tests/support/PcxFiles.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::Pcx;
using testing::PcxFields;
using testing::ScopedTempDir;
using testing::WriteBytes;

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
                        Case{"pal8-magick", 8}, Case{"pal8-netpbm", 8}, Case{"pal8-tiny", 8},
                        Case{"rgb24-1x10-magick", 24}, Case{"rgb24-10x1-magick", 24},
                        Case{"pal8-1x10-magick", 8}, Case{"pal8-10x1-magick", 8}}) {
    SCOPED_TRACE(c.name);
    RasterImage image;
    const Decoding d = Decode(kFixtures + c.name + ".pcx", image);
    ASSERT_EQ(d.opened, 1);
    ASSERT_EQ(d.read, 1);
    EXPECT_EQ(image.BitsPerPixel(), c.bits);
    EXPECT_EQ(image.PaletteEntries(), c.bits == 8 ? 256 : 0);
    const testing::Netpbm expected = testing::ReadNetpbm(kFixtures + c.name + ".ppm");
    ASSERT_EQ(expected.channels, 3);
    EXPECT_EQ(image.Width(), expected.width);
    EXPECT_EQ(image.Height(), expected.height);
    EXPECT_EQ(testing::RgbOf(image), expected.pixels);
    testing::ExpectConvertsLikeCjpeg(kFixtures + c.name + ".pcx", expected, dir);
  }
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"expected.jpg", "expected.pnm", "out.jpg"}));
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
  const Case cases[] = {
      {"odd width, even bytes per line: the extra byte is not in the row",
       Pcx({}, {1, 2, 3, 9, 4, 5, 6, 9}),
       {1, 2, 3, 4, 5, 6}},
      {"a run is cut at the end of its line", Pcx({}, {0xC6, 7, 0xC4, 8}), {7, 7, 7, 8, 8, 8}},
      {"0xC0 writes nothing and consumes its value",
       Pcx({}, {0xC0, 99, 1, 2, 3, 4, 5, 6, 7, 8}),
       {1, 2, 3, 5, 6, 7}},
      {"an uncompressed flag is still run-length decoded",
       Pcx({.encoding = 0}, {1, 2, 3, 9, 4, 5, 6, 9}),
       {1, 2, 3, 4, 5, 6}},
      {"a marker byte before the palette changes nothing",
       Pcx({}, {1, 2, 3, 9, 4, 5, 6, 9, 0x0C}),
       {1, 2, 3, 4, 5, 6}},
      {"a line of 64 equal bytes in three: a full run and one literal",
       Pcx({.xMax = 63, .bytesPerLine = 64}, {0xFF, 7, 7, 0xFF, 8, 8}),
       [] {
         std::vector<std::uint8_t> rows(128, 8);
         std::fill_n(rows.begin(), 64, 7);
         return rows;
       }()},
      {"Xmin and Ymin are subtracted",
       Pcx({.xMin = 10, .yMin = 20, .xMax = 12, .yMax = 21}, {1, 2, 3, 9, 4, 5, 6, 9}),
       {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    ASSERT_EQ(d.read, 1);
    EXPECT_EQ(IndexesOf(image), c.indexes);
    EXPECT_EQ(image.Palette()[8 * 200 + 1], 55);  // the file's last 768 bytes
  }

  // Three planes: red, then green, then blue, each a whole plane line long.
  WriteBytes(dir.File("rgb.pcx"), Pcx({.xMax = 1, .planes = 3, .bytesPerLine = 2, .palette = false},
                                      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  RasterImage rgb;
  ASSERT_EQ(Decode(dir.File("rgb.pcx"), rgb).read, 1);
  EXPECT_EQ(IndexesOf(rgb), (std::vector<std::uint8_t>{1, 3, 5, 2, 4, 6, 7, 9, 11, 8, 10, 12}));
  rgb.Release();  // the compressed data's store went with the Read
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rgb.pcx", "x.pcx"}));
}

TEST(PcxReaderTest, OpenRefusesWhatItCannotDecodeSafely) {
  ScopedTempDir dir;
  Bytes notPcx = Pcx({}, {});
  notPcx[0] = 0x0B;
  Bytes lineFeedText(200, 'a');
  lineFeedText[0] = '\n';
  Bytes headerCut = Pcx({}, {});
  headerCut.resize(100);
  struct Case {
    const char* what;
    Bytes file;
    Failure failure;
  };
  const Case cases[] = {
      {"first byte is not 0x0A", notPcx, Failure::NotThisFormat},
      {"text that starts with a line feed", lineFeedText, Failure::NotThisFormat},
      {"an unknown encoding", Pcx({.encoding = 2}, {}), Failure::NotThisFormat},
      {"version 1, never written", Pcx({.version = 1}, {}), Failure::NotThisFormat},
      {"a short file of line feeds", Bytes(100, 0x0A), Failure::NotThisFormat},
      {"header cut short", headerCut, Failure::Truncated},
      {"4 bits", Pcx({.bitsPerPlane = 4, .xMax = 3, .bytesPerLine = 2}, {}), Failure::Unsupported},
      {"four planes of 1 bit",
       Pcx({.bitsPerPlane = 1, .xMax = 3, .planes = 4, .bytesPerLine = 2}, {}),
       Failure::Unsupported},
      {"24 bits in one plane", Pcx({.bitsPerPlane = 24, .xMax = 3, .bytesPerLine = 12}, {}),
       Failure::Unsupported},
      // These make 8 and 24 bits, but their bytes are bit planes, not indexes or samples.
      {"two planes of 4 bits",
       Pcx({.bitsPerPlane = 4, .xMax = 3, .planes = 2, .bytesPerLine = 2}, {}),
       Failure::Unsupported},
      {"eight planes of 1 bit",
       Pcx({.bitsPerPlane = 1, .xMax = 15, .planes = 8, .bytesPerLine = 2}, {}),
       Failure::Unsupported},
      {"twenty-four planes of 1 bit",
       Pcx({.bitsPerPlane = 1, .xMax = 3, .planes = 24, .bytesPerLine = 1}, {}),
       Failure::Unsupported},
      {"a scan line longer than the line buffer",
       Pcx({.xMax = 1, .planes = 3, .bytesPerLine = 5}, {}), Failure::Unsupported},
      {"planes shorter than the width", Pcx({.xMax = 3, .planes = 3, .bytesPerLine = 2}, {}),
       Failure::Corrupt},
      {"8-bit lines shorter than the width", Pcx({.bytesPerLine = 2}, {1, 2, 4, 5}),
       Failure::Corrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    EXPECT_EQ(d.opened, 0);
    EXPECT_EQ(d.failure, c.failure);
  }
  for (const char* name : {"mono1", "planes4"}) {
    SCOPED_TRACE(name);
    RasterImage image;
    const Decoding d = Decode(kFixtures + name + ".pcx", image);
    EXPECT_EQ(d.opened, 0);
    EXPECT_EQ(d.failure, Failure::Unsupported);
  }
}

TEST(PcxReaderTest, DataThatEndsTooSoonFailsTheRead) {
  ScopedTempDir dir;
  const PcxFields rgb3x2{.planes = 3, .bytesPerLine = 3, .palette = false};
  struct Case {
    const char* what;
    Bytes file;
    Failure failure;
  };
  const Case cases[] = {
      {"data ends before the last row", Pcx(rgb3x2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 1}),
       Failure::Truncated},
      {"a run's value byte is missing", Pcx(rgb3x2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xC3}),
       Failure::Truncated},
      {"8 bits with nothing but the header and palette", Pcx({}, {}), Failure::Truncated},
      {"Xmax below Xmin", Pcx({.xMin = 5}, {1, 2, 3, 4, 5, 6, 7, 8}), Failure::Corrupt},
      {"24 bits with nothing after the header", Pcx(rgb3x2, {}), Failure::Truncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    EXPECT_EQ(d.opened, 1);
    EXPECT_EQ(d.read, 0);
    EXPECT_EQ(d.failure, c.failure);
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcx"});
    const ConversionOutcome outcome = ConvertToJpegWithReason(
        dir.File("x.pcx").c_str(), dir.File("x.jpg").c_str(), kApplicationSettings);
    EXPECT_EQ(outcome.result, kSourceUnreadable);
    EXPECT_EQ(outcome.reason.failure, c.failure);
    EXPECT_EQ(outcome.reason.format, "PCX");
  }
}

// A header may claim a picture far larger than its file's data could decode
// to; it is refused at once, before any store is made.
TEST(PcxReaderTest, HugePicturesInTinyFilesAreRefusedAtOnce) {
  ScopedTempDir dir;
  const auto withData = [](PcxFields f, std::size_t bytes) { return Pcx(f, Bytes(bytes, 7)); };
  const testing::FailureCase cases[] = {
      {"8 bits, 37000 square, one byte a line",
       withData({.xMax = 36999, .yMax = 36999, .bytesPerLine = 1}, 37000), 0, Failure::Corrupt},
      {"8 bits, 37000 square, runs too few for the lines",
       withData({.xMax = 36999, .yMax = 36999, .bytesPerLine = 37000}, 37000), 1,
       Failure::Truncated},
      {"24 bits, 20000 square, runs too few for the lines",
       withData(
           {.xMax = 19999, .yMax = 19999, .planes = 3, .bytesPerLine = 20000, .palette = false},
           200000),
       1, Failure::Truncated},
  };
  for (const testing::FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcx"), c.file);
    const auto start = std::chrono::steady_clock::now();
    RasterImage image;
    const Decoding d = Decode(dir.File("x.pcx"), image);
    EXPECT_EQ(d.opened, c.opened);
    EXPECT_EQ(d.read, 0);
    EXPECT_EQ(d.failure, c.failure);
    const ConversionOutcome outcome = ConvertToJpegWithReason(
        dir.File("x.pcx").c_str(), dir.File("x.jpg").c_str(), kApplicationSettings);
    EXPECT_EQ(outcome.result, kSourceUnreadable);
    EXPECT_EQ(outcome.reason.failure, c.failure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcx"});
  }
}

TEST(PcxReaderTest, AFullTemporaryFolderIsNoSpaceForEitherStore) {
  ScopedTempDir dir;
  // 64 × 64 literal bytes per plane: 12 KB of compressed data, more than the limit.
  const Bytes literals(64 * 3 * 64, 0x11);
  // 1000 × 1000 pixels in runs: 96 KB of compressed data for 3 MB of pixels.
  Bytes runs;
  for (int line = 0; line < 1000 * 3; ++line) {
    for (int left = 1000; left > 0; left -= 63) runs.insert(runs.end(), {0xFF, 0x22});
  }
  struct Case {
    const char* what;
    Bytes file;
    rlim_t limit;
  };
  const Case cases[] = {
      {"the compressed data's store",
       Pcx({.xMax = 63, .yMax = 63, .planes = 3, .bytesPerLine = 64, .palette = false}, literals),
       4096},
      {"the pixels' store",
       Pcx({.xMax = 999, .yMax = 999, .planes = 3, .bytesPerLine = 1000, .palette = false}, runs),
       1024 * 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcx"), c.file);
    RasterImage image;
    Decoding d;
    {
      testing::ScopedFileSizeLimit limit(c.limit);
      d = Decode(dir.File("x.pcx"), image);
    }
    EXPECT_EQ(d.opened, 1);
    EXPECT_EQ(d.read, 0);
    EXPECT_EQ(d.failure, Failure::NoSpaceForStore);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcx"});
  }
}

std::vector<std::array<int, 3>> progressCalls;

TEST(PcxReaderTest, ProgressReportsEveryRowOnceInOrderEndingAtOneHundred) {
  ScopedTempDir dir;
  constexpr int kRows = 7;
  WriteBytes(dir.File("x.pcx"),
             Pcx({.xMax = 1, .yMax = kRows - 1, .planes = 3, .bytesPerLine = 2, .palette = false},
                 Bytes(6 * kRows, 0x10)));
  progressCalls.clear();
  RasterImage image;
  PcxReader reader;
  ASSERT_EQ(reader.Open(dir.File("x.pcx").c_str(), image,
                        [](int phase, int percent, int row, int) {
                          progressCalls.push_back({phase, percent, row});
                        }),
            1);
  ASSERT_EQ(reader.Read(), 1);
  // Each row as it is decoded, then the read's closing report.
  std::vector<std::array<int, 3>> expected;
  for (int row = 0; row < kRows; ++row) {
    expected.push_back({progress_phase::kReading, (row + 1) * 100 / kRows, row});
  }
  expected.push_back({progress_phase::kReading, 100, kRows - 1});
  EXPECT_EQ(progressCalls, expected);
}

}  // namespace
}  // namespace dropshrink
