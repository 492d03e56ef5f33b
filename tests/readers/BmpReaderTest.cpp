#include "engine/readers/BmpReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Decode.h"
#include "tests/support/ExpectConvertsLikeCjpeg.h"
#include "tests/support/Files.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

const std::string kFixtures = std::string(DROPSHRINK_FIXTURES) + "/bmp/";

std::vector<std::uint8_t> PixelsOf(const RasterImage& image) {
  return {image.Pixels(), image.Pixels() + image.PixelBytes()};
}

using testing::Decoding;
constexpr auto Decode = &testing::DecodeWith<BmpReader>;

TEST(BmpReaderTest, DecodesWhatOtherEncodersWroteToTheirOwnReadersPixels) {
  ScopedTempDir dir;
  struct Case {
    const char* name;
    ImageKind kind;
  };
  for (const Case& c :
       {Case{"win24-magick", kKindBmpWindows}, Case{"win24-netpbm", kKindBmpWindows},
        Case{"os2-24", kKindBmpOs2}, Case{"win24-width1", kKindBmpWindows},
        Case{"win24-height1", kKindBmpWindows}}) {
    SCOPED_TRACE(c.name);
    RasterImage image;
    const Decoding d = Decode(kFixtures + c.name + ".bmp", image);
    ASSERT_EQ(d.opened, 1);
    EXPECT_EQ(d.read, 1);
    EXPECT_EQ(d.kind, c.kind);
    const testing::Netpbm expected = testing::ReadNetpbm(kFixtures + c.name + ".ppm");
    ASSERT_EQ(expected.channels, 3);
    EXPECT_EQ(image.Width(), expected.width);
    EXPECT_EQ(image.Height(), expected.height);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(PixelsOf(image), expected.pixels);
    testing::ExpectConvertsLikeCjpeg(kFixtures + c.name + ".bmp", expected, dir);
  }
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"expected.jpg", "expected.pnm", "out.jpg"}));
}

TEST(BmpReaderTest, OtherDepthsAndRunLengthBitmapsAreRefused) {
  for (const char* name : {"win8-palette", "win4-palette", "win1", "win32-alpha", "win8-rle"}) {
    RasterImage image;
    const Decoding d = Decode(kFixtures + name + ".bmp", image);
    EXPECT_EQ(d.opened, 0) << name;
    EXPECT_EQ(d.failure, Failure::Unsupported) << name;
    EXPECT_EQ(image.Width(), 0) << name;
  }
}

// A 24-bit Windows bitmap of 2 × 2 pixels (rows of 6 bytes padded to 8), built
// field by field so each test can break one.
Bytes Bitmap24(std::int32_t width = 2, std::int32_t height = 2, std::uint32_t compression = 0) {
  Bytes b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0};
  const auto put32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));
  b.insert(b.end(), {1, 0, 24, 0});
  put32(compression);
  b.resize(54, 0);
  // Stored rows: blue, green, red per pixel, then 2 padding bytes.
  const Bytes rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

const std::vector<std::uint8_t> kBottomUp = {9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};
const std::vector<std::uint8_t> kTopDown = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};

TEST(BmpReaderTest, RowOrderTypeAndBitFields) {
  ScopedTempDir dir;
  Bytes typeBa = Bitmap24();
  typeBa[1] = 'A';
  struct Case {
    const char* what;
    Bytes file;
    std::vector<std::uint8_t> pixels;
  };
  const Case cases[] = {
      {"positive height is bottom up", Bitmap24(), kBottomUp},
      {"negative height is top down", Bitmap24(2, -2), kTopDown},
      {"BA reads as a plain bitmap", typeBa, kBottomUp},
      {"bit fields with 24 bits read as plain", Bitmap24(2, 2, 3), kBottomUp},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File("x.bmp"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.bmp"), image);
    EXPECT_EQ(d.read, 1) << c.what;
    EXPECT_EQ(PixelsOf(image), c.pixels) << c.what;
  }
}

TEST(BmpReaderTest, BrokenHeadersAreRefusedWithoutReadingPastThem) {
  ScopedTempDir dir;
  const auto withOffset = [](std::uint32_t offset) {
    Bytes b = Bitmap24();
    testing::PutU32(b, 10, offset);
    return b;
  };
  Bytes notBitmap = Bitmap24();
  notBitmap[1] = 'X';
  Bytes headerOnly = Bitmap24();
  headerOnly.resize(14);
  Bytes os2Short = withOffset(14 + 10);
  os2Short[14] = 12;
  struct Case {
    const char* what;
    Bytes file;
    Failure failure;
  };
  const Case cases[] = {
      {"not BM or BA", notBitmap, Failure::NotThisFormat},
      {"compression 4", Bitmap24(2, 2, 4), Failure::Unsupported},
      {"run-length 8", Bitmap24(2, 2, 1), Failure::Unsupported},
      {"width 0", Bitmap24(0, 2), Failure::Corrupt},
      {"width negative", Bitmap24(-2, 2), Failure::Corrupt},
      {"height 0", Bitmap24(2, 0), Failure::Corrupt},
      {"height of no absolute value", Bitmap24(2, INT32_MIN), Failure::Unsupported},
      {"offset below 14", withOffset(10), Failure::Corrupt},
      {"info block too short for the Windows fields", withOffset(14 + 16), Failure::Truncated},
      {"info block too short for the OS/2 fields", os2Short, Failure::Truncated},
      {"offset past the end of the file", withOffset(0xFFFFFFF0), Failure::Truncated},
      {"file header only", headerOnly, Failure::Truncated},
      {"empty", {}, Failure::NotThisFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.bmp"), c.file);
    RasterImage image;
    const Decoding d = Decode(dir.File("x.bmp"), image);
    EXPECT_EQ(d.opened, 0);
    EXPECT_EQ(d.failure, c.failure);
  }
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.bmp"});
}

TEST(BmpReaderTest, MissingRowDataFailsTheRead) {
  ScopedTempDir dir;
  const auto cut = [](std::size_t bytes) {
    Bytes b = Bitmap24();
    b.resize(b.size() - bytes);
    return b;
  };
  // The last stored row without its padding, a picture wider than its file, and
  // one claiming 3.6 GB of pixels: it fails before any store is made for them.
  for (const Bytes& file : {cut(1), cut(9), Bitmap24(0x7FFFFFF, 1), Bitmap24(40000, 30000)}) {
    WriteBytes(dir.File("x.bmp"), file);
    const ConversionOutcome outcome = ConvertToJpegWithReason(
        dir.File("x.bmp").c_str(), dir.File("x.jpg").c_str(), kApplicationSettings);
    EXPECT_EQ(outcome.result, kSourceUnreadable);
    EXPECT_EQ(outcome.reason.failure, Failure::Truncated);
    EXPECT_EQ(outcome.reason.format, "BMP");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.bmp"});
  }
}

}  // namespace
}  // namespace dropshrink
