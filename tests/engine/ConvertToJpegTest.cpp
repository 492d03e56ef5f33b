#include "engine/ConversionCommand.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/readers/JpegCodec.h"
#include "tests/support/Files.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

void WriteJpeg(const std::string& path, int bits, int width = 24, int height = 16) {
  RasterImage image;
  ASSERT_TRUE(image.Create(width, height, bits, 0));
  for (std::uint32_t i = 0; i < image.PixelBytes(); ++i) {
    image.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
  }
  JpegCodec codec;
  ASSERT_EQ(codec.Write(path.c_str(), image, 90, bits == 24 ? 1 : 0, 0, 0, nullptr), 1);
}

int ComponentsOf(const std::string& path) {
  RasterImage image;
  JpegCodec codec;
  if (codec.Open(path.c_str(), image, nullptr) != 1) return 0;
  return codec.Kind() == kKindJpegColor ? 3 : 1;
}

TEST(ConvertToJpegTest, EveryResultAndNothingLeftBehind) {
  ScopedTempDir dir;
  const std::string colour = dir.File("colour.jpg");
  WriteJpeg(colour, 24);
  WriteBytes(dir.File("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
  std::filesystem::create_directory(dir.Path() / "folder.jpg");
  const std::string out = dir.File("out.jpg");

  struct Case {
    const char* what;
    const char* source;
    const char* destination;
    int quality, smoothing;
    ConversionResult expected;
  };
  const std::string missing = dir.File("missing.jpg");
  const std::string text = dir.File("text.jpg");
  const std::string folder = dir.File("folder.jpg");
  const std::string pattern = dir.File("text.*");
  const std::string noFolder = dir.File("none/out.jpg");
  const Case cases[] = {
      {"quality 0", colour.c_str(), out.c_str(), 0, 0, kInvalidArgument},
      {"quality 101", colour.c_str(), out.c_str(), 101, 0, kInvalidArgument},
      {"smoothing -1", colour.c_str(), out.c_str(), 75, -1, kInvalidArgument},
      {"smoothing 101", colour.c_str(), out.c_str(), 75, 101, kInvalidArgument},
      {"no destination", colour.c_str(), nullptr, 75, 0, kInvalidArgument},
      {"no source", nullptr, out.c_str(), 75, 0, kInvalidArgument},
      {"missing source", missing.c_str(), out.c_str(), 75, 0, kSourceMissing},
      {"empty source", "", out.c_str(), 75, 0, kSourceMissing},
      {"text named .jpg", text.c_str(), out.c_str(), 75, 0, kSourceUnreadable},
      {"a folder", folder.c_str(), out.c_str(), 75, 0, kSourceUnreadable},
      {"a wildcard pattern", pattern.c_str(), out.c_str(), 75, 0, kSourceUnreadable},
      {"destination folder missing", colour.c_str(), noFolder.c_str(), 75, 0, kWriteFailed},
      {"destination is a folder", colour.c_str(), folder.c_str(), 75, 0, kWriteFailed},
  };
  const auto before = dir.Files();
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertToJpeg(c.source, c.destination, 0, c.quality, 1, c.smoothing), c.expected)
        << c.what;
    EXPECT_EQ(dir.Files(), before) << c.what;
  }

  EXPECT_EQ(ConvertToJpeg(colour.c_str(), out.c_str(), 0, 75, 1, 0), kSucceeded);
  EXPECT_EQ(ComponentsOf(out), 3);
  EXPECT_EQ(ConvertToJpeg(colour.c_str(), out.c_str(), 1, 75, 1, 0), kSucceeded);
  EXPECT_EQ(ComponentsOf(out), 1);
  EXPECT_EQ(ConvertToJpeg(colour.c_str(), out.c_str(), 2, 75, 1, 0), kSucceeded);
  EXPECT_EQ(ComponentsOf(out), 3);  // only exactly 1 means grey
  EXPECT_EQ(dir.Files().size(), before.size() + 1);
}

TEST(ConvertToJpegTest, GreySourceBecomesColourOutput) {
  ScopedTempDir dir;
  WriteJpeg(dir.File("grey.jpg"), 8);
  ASSERT_EQ(ComponentsOf(dir.File("grey.jpg")), 1);
  EXPECT_EQ(ConvertToJpeg(dir.File("grey.jpg").c_str(), dir.File("o.jpg").c_str(), 0, 75, 1, 0),
            kSucceeded);
  EXPECT_EQ(ComponentsOf(dir.File("o.jpg")), 3);
}

TEST(ConvertToJpegTest, StoreThatCannotBeMadeMeansUnreadable) {
  ScopedTempDir dir;
  WriteJpeg(dir.File("big.jpg"), 24, 20000, 8);
  setenv("TMPDIR", "/proc", 1);  // no store can be made there
  const ConversionResult result =
      ConvertToJpeg(dir.File("big.jpg").c_str(), dir.File("o.jpg").c_str(), 0, 75, 1, 0);
  setenv("TMPDIR", dir.Path().c_str(), 1);
  EXPECT_EQ(result, kSourceUnreadable);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"big.jpg"});
}

TEST(ConvertToJpegTest, EverySampleFormatConvertsInColourAndInGrey) {
  ScopedTempDir dir;
  const std::string samples = DROPSHRINK_SAMPLES;
  for (const char* name : {"colour-jpeg.jpg", "grey-jpeg.jpg", "colour-bmp.bmp", "colour-tiff.tiff",
                           "palette-png.png", "colour-pcx.pcx", "colour-photocd.pcd"}) {
    const std::string source = samples + "/" + name;
    EXPECT_EQ(ConvertToJpeg(source.c_str(), dir.File("c.jpg").c_str(), 0, 75, 1, 0), kSucceeded)
        << name;
    EXPECT_EQ(ComponentsOf(dir.File("c.jpg")), 3) << name;
    EXPECT_EQ(ConvertToJpeg(source.c_str(), dir.File("g.jpg").c_str(), 1, 75, 1, 0), kSucceeded)
        << name;
    EXPECT_EQ(ComponentsOf(dir.File("g.jpg")), 1) << name;
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"c.jpg", "g.jpg"})) << name;
  }
}

TEST(ReadImageFileTest, FillsTheTargetOrReportsWhy) {
  ScopedTempDir dir;
  WriteJpeg(dir.File("a.jpg"), 24, 5, 3);
  RasterImage image;
  EXPECT_EQ(ReadImageFile(dir.File("a.jpg").c_str(), image), kSucceeded);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.BitsPerPixel(), 24);
  RasterImage other;
  EXPECT_EQ(ReadImageFile(dir.File("b.jpg").c_str(), other), kSourceMissing);
  EXPECT_EQ(ReadImageFile(dir.Path().c_str(), other), kSourceUnreadable);
  EXPECT_EQ(other.Width(), 0);
}

TEST(ConversionResultTest, Names) {
  EXPECT_STREQ(ConversionResultName(kSucceeded), "Succeeded");
  EXPECT_STREQ(ConversionResultName(kSourceMissing), "SourceMissing");
  EXPECT_STREQ(ConversionResultName(kSourceUnreadable), "SourceUnreadable");
  EXPECT_STREQ(ConversionResultName(kWriteFailed), "WriteFailed");
  EXPECT_STREQ(ConversionResultName(kInvalidArgument), "InvalidArgument");
  EXPECT_STREQ(ConversionResultName(0), "Unknown");
}

}  // namespace
}  // namespace dropshrink
