#include "engine/readers/PcdReader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Decode.h"
#include "tests/support/Files.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;
using Rgb = std::array<std::uint8_t, 3>;

TEST(PhotoYccToRgbTest, FollowsTheConversionFormulas) {
  struct Case {
    std::uint8_t y, c1, c2;
    Rgb rgb;
  };
  const Case cases[] = {
      {0, 156, 137, {0, 0, 0}},         {100, 156, 137, {141, 141, 141}},
      {180, 156, 137, {253, 253, 253}}, {181, 156, 137, {255, 255, 255}},
      {255, 156, 137, {255, 255, 255}}, {128, 156, 255, {255, 101, 180}},
      {128, 0, 137, {180, 242, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int(c.y) << " " << int(c.c1) << " " << int(c.c2));
    EXPECT_EQ(PhotoYccToRgb(c.y, c.c1, c.c2), c.rgb);
  }
}

constexpr std::size_t kBase2Offset = 0x30000;
constexpr std::size_t kBase2End = kBase2Offset + 768 * 512 * 3 / 2;

// A Photo CD file just long enough for its 768 × 512 image, with the signature,
// whose every row pair has luma row 2k of value k, luma row 2k + 1 of value
// 200 - k, and chroma bytes that count up across the row.
Bytes PhotoCd(std::size_t length = kBase2End, bool signature = true) {
  Bytes b(length, 0);
  if (signature) testing::PutText(b, 0x800, "PCD_IPI");
  for (std::size_t k = 0; k < 256 && kBase2Offset + (k + 1) * 768 * 3 <= length; ++k) {
    unsigned char* pair = b.data() + kBase2Offset + k * 768 * 3;
    std::fill_n(pair, 768, static_cast<unsigned char>(k % 181));
    std::fill_n(pair + 768, 768, static_cast<unsigned char>(200 - k % 181));
    for (int i = 0; i < 768; ++i) pair[1536 + i] = static_cast<unsigned char>(i * 7);
  }
  return b;
}

Rgb PixelAt(const RasterImage& image, int x, int y) {
  const std::uint8_t* p = image.Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

TEST(PcdReaderTest, RowPairsShareTheirChromaTwoByTwo) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.pcd"), PhotoCd());
  RasterImage image;
  PcdReader reader;
  ASSERT_EQ(reader.Open(dir.File("x.pcd").c_str(), image, 2, nullptr), 1);
  EXPECT_EQ(reader.Kind(), kKindPhotoCd768x512);
  ASSERT_EQ(reader.Read(), 1);
  ASSERT_EQ(image.Width(), 768);
  ASSERT_EQ(image.Height(), 512);
  for (int y : {0, 1, 2, 3, 300, 511}) {
    for (int x : {0, 1, 2, 5, 383, 384, 767}) {
      const int k = y / 2;
      const auto luma = static_cast<std::uint8_t>(y % 2 == 0 ? k % 181 : 200 - k % 181);
      const auto c1 = static_cast<std::uint8_t>((x / 2) * 7);
      const auto c2 = static_cast<std::uint8_t>((384 + x / 2) * 7);
      EXPECT_EQ(PixelAt(image, x, y), PhotoYccToRgb(luma, c1, c2)) << x << "," << y;
    }
  }
  image.Release();
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcd"});
}

// Luma, C1 and C2 of every pixel, as a PNG's red, green and blue.
struct Ycc {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> samples;
};

Ycc ReadYcc(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return {};
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> samples(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, samples.data(), 0, nullptr) == 0) return {};
  return {static_cast<int>(png.width), static_cast<int>(png.height), std::move(samples)};
}

// The picture ImageMagick's reader lays out for a base image, each pixel made
// from its own luma and its 2 × 2 block's chroma. That reader gives a block's
// own chroma at its top-left pixel only, so the chroma is taken from there.
testing::Netpbm ReferencePicture(const Ycc& ycc) {
  testing::Netpbm picture{ycc.width, ycc.height, 3, {}};
  for (int y = 0; y < ycc.height; ++y) {
    for (int x = 0; x < ycc.width; ++x) {
      const std::uint8_t* own = &ycc.samples[3 * (y * ycc.width + x)];
      const std::uint8_t* block = &ycc.samples[3 * ((y & ~1) * ycc.width + (x & ~1))];
      const Rgb rgb = PhotoYccToRgb(own[0], block[1], block[2]);
      picture.pixels.insert(picture.pixels.end(), rgb.begin(), rgb.end());
    }
  }
  return picture;
}

TEST(PcdReaderTest, EachBaseImageOfAnotherEncodersFileAsItsOwnReaderLaysItOut) {
  const std::string fixtures = std::string(DROPSHRINK_FIXTURES) + "/pcd/";
  ScopedTempDir dir;
  struct Case {
    int resolution;
    const char* size;
  };
  for (const Case& c : {Case{0, "192x128"}, Case{1, "384x256"}, Case{2, "768x512"}}) {
    SCOPED_TRACE(c.size);
    const testing::Netpbm expected =
        ReferencePicture(ReadYcc(fixtures + "bands-ycc-" + c.size + ".png"));
    RasterImage image;
    PcdReader reader;
    ASSERT_EQ(reader.Open((fixtures + "bands.pcd").c_str(), image, c.resolution, nullptr), 1);
    ASSERT_EQ(reader.Read(), 1);
    ASSERT_EQ(image.Width(), expected.width);
    ASSERT_EQ(image.Height(), expected.height);
    EXPECT_EQ(std::vector<std::uint8_t>(image.Pixels(), image.Pixels() + image.PixelBytes()),
              expected.pixels);
  }

  // The chain reads the 768 × 512 image and writes what cjpeg writes for those pixels.
  const testing::Netpbm base = ReferencePicture(ReadYcc(fixtures + "bands-ycc-768x512.png"));
  EXPECT_EQ(ConvertToJpegWithReason((fixtures + "bands.pcd").c_str(), dir.File("out.jpg").c_str(),
                                    kApplicationSettings)
                .result,
            kSucceeded);
  EXPECT_EQ(ReadBytes(dir.File("out.jpg")), testing::CjpegReference(base, dir.File("expected")));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"expected.jpg", "expected.pnm", "out.jpg"}));
}

TEST(PcdReaderTest, SmallerBaseImagesAndProgressPerRowPair) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.pcd"), PhotoCd());
  struct Case {
    int resolution;
    ImageKind kind;
    int width, height;
  };
  for (const Case& c :
       {Case{0, kKindPhotoCd192x128, 192, 128}, Case{1, kKindPhotoCd384x256, 384, 256}}) {
    SCOPED_TRACE(c.resolution);
    static std::vector<int> rows;
    rows.clear();
    RasterImage image;
    PcdReader reader;
    ASSERT_EQ(reader.Open(dir.File("x.pcd").c_str(), image, c.resolution,
                          [](int, int, int row, int) { rows.push_back(row); }),
              1);
    EXPECT_EQ(reader.Kind(), c.kind);
    ASSERT_EQ(reader.Read(), 1);
    EXPECT_EQ(image.Width(), c.width);
    EXPECT_EQ(image.Height(), c.height);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.height / 2 + 1));
    EXPECT_EQ(rows[1], 2);
    EXPECT_EQ(rows.back(), c.height - 1);
  }
}

TEST(PcdReaderTest, OnlyPhotoCdFilesLongEnoughAreAccepted) {
  ScopedTempDir dir;
  Bytes bigBmp(2 * 1024 * 1024, 0);
  bigBmp[0] = 'B';
  bigBmp[1] = 'M';
  Bytes signatureCut = PhotoCd();
  signatureCut.resize(0x806);
  struct Case {
    const char* what;
    Bytes file;
    int resolution;
    int opened;
    Failure failure;
  };
  const Case cases[] = {
      {"exactly long enough", PhotoCd(), 2, 1, Failure::None},
      {"one byte short", PhotoCd(kBase2End - 1), 2, 0, Failure::Truncated},
      {"short for 768 x 512, long enough for 384 x 256", PhotoCd(kBase2End - 1), 1, 1,
       Failure::None},
      {"cut before the signature ends", signatureCut, 0, 0, Failure::NotThisFormat},
      {"no signature", PhotoCd(kBase2End + 1024 * 1024, false), 2, 0, Failure::NotThisFormat},
      {"resolution 3", PhotoCd(), 3, 0, Failure::InvalidArgument},
      {"resolution 258 is 2 in its low byte", PhotoCd(), 258, 1, Failure::None},
      {"a 2 MiB file of another kind", bigBmp, 2, 0, Failure::NotThisFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.pcd"), c.file);
    RasterImage image;
    const testing::Decoding d =
        testing::DecodeWith<PcdReader>(dir.File("x.pcd"), image, c.resolution);
    EXPECT_EQ(d.opened, c.opened);
    EXPECT_EQ(d.read, c.opened);
    EXPECT_EQ(d.failure, c.failure);
  }
}

TEST(PcdReaderTest, AFileCutAfterOpenFailsTheReadAsTruncated) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x.pcd"), PhotoCd());
  RasterImage image;
  PcdReader reader;
  ASSERT_EQ(reader.Open(dir.File("x.pcd").c_str(), image, 2, nullptr), 1);
  std::filesystem::resize_file(dir.File("x.pcd"), kBase2End - 768);
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_EQ(reader.LastFailure(), Failure::Truncated);
  EXPECT_EQ(image.Pixels(), nullptr);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.pcd"});
}

TEST(PcdReaderTest, LargeFilesNoOtherReaderTakesAreUnreadableNotNoise) {
  ScopedTempDir dir;
  Bytes text;
  while (text.size() < 2 * 1024 * 1024) {
    for (char ch : std::string("not a picture at all\n"))
      text.push_back(static_cast<unsigned char>(ch));
  }
  WriteBytes(dir.File("notes.txt"), text);
  const ConversionOutcome notes = ConvertToJpegWithReason(
      dir.File("notes.txt").c_str(), dir.File("o.jpg").c_str(), kApplicationSettings);
  EXPECT_EQ(notes.result, kSourceUnreadable);
  EXPECT_EQ(notes.reason.failure, Failure::NotThisFormat);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"notes.txt"});
  WriteBytes(dir.File("x.pcd"), PhotoCd());
  EXPECT_EQ(ConvertToJpegWithReason(dir.File("x.pcd").c_str(), dir.File("o.jpg").c_str(),
                                    kApplicationSettings)
                .result,
            kSucceeded);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"notes.txt", "o.jpg", "x.pcd"}));
}

}  // namespace
}  // namespace dropshrink
