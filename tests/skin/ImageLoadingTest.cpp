#include <gtest/gtest.h>

#include <vector>

#include "SkinTestSupport.h"
#include "platform/window/MemoryBlocks.h"
#include "skin/ImageLoading.h"
#include "skin/MemoryStream.h"

namespace skintest {
namespace {

class LoadImageFromBytesTest : public SkinTest {};

TEST_F(LoadImageFromBytesTest, LoadsAPngWithItsSizeAndPixels) {
  const platform::Picture picture =
      MakePicture(391, 107, [](int x, int y) { return x < 10 && y < 5 ? 0x80402010 : kBlue; });
  const platform::ImageHandle image = KeepImage(skin::LoadImageFromBytes(Png(picture)));

  const auto natural = platform::GetImageDimension(image);
  ASSERT_TRUE(natural);
  EXPECT_EQ(natural->width, 391.0f);
  EXPECT_EQ(natural->height, 107.0f);
  const auto loaded = platform::ReadPicture(image);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->At(0, 0) >> 24, 0x80u);
  EXPECT_EQ(loaded->At(390, 106), kBlue);
}

TEST_F(LoadImageFromBytesTest, GivesZeroForBytesThatAreNoPicture) {
  skin::ByteArray truncated = Png(Solid(20, 20, kRed));
  truncated.resize(truncated.size() / 2);
  const std::vector<skin::ByteArray> cases = {
      {},
      {'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'},
      {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
      truncated,
  };
  for (const skin::ByteArray& bytes : cases) {
    EXPECT_EQ(skin::LoadImageFromBytes(bytes), 0u) << bytes.size() << " bytes";
  }
}

// Two 1 x 1 frames in time, red then blue.
skin::ByteArray AnimatedGif() {
  return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
          // Two colours: red, blue.
          0xFF, 0, 0, 0, 0, 0xFF,
          // Loop for ever.
          0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
          // Frame of colour 0, then frame of colour 1, each shown for 0.1 s.
          0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x21,
          0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
}

TEST_F(LoadImageFromBytesTest, ShowsTheFirstFrameOfAnAnimatedPicture) {
  const platform::ImageHandle image = KeepImage(skin::LoadImageFromBytes(AnimatedGif()));
  const auto loaded = platform::ReadPicture(image);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->At(0, 0), kRed);
}

TEST(MemoryStream, CopiesTheBytesIntoItsOwnBlock) {
  skin::ByteArray bytes = {1, 2, 3, 4, 5};
  skin::MemoryStream stream;
  platform::BlockStream* opened = stream.Open(bytes, true);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(stream.GetStream(), opened);
  bytes[0] = 99;

  EXPECT_EQ(stream.GetSize(), 5u);
  EXPECT_EQ(stream.ReadAll(), (skin::ByteArray{1, 2, 3, 4, 5}));
  std::vector<std::uint8_t> read(8);
  EXPECT_EQ(opened->Read(read), 5u);
  EXPECT_EQ(read[4], 5);
}

TEST(MemoryStream, ReleaseFreesTheBlockAndLeavesAStreamThatReadsNothing) {
  skin::MemoryStream stream;
  platform::BlockStream* opened = stream.Open(skin::ByteArray{1, 2, 3}, true);
  const platform::BlockHandle block = opened->Block();
  stream.Release();
  stream.Release();

  EXPECT_FALSE(platform::IsBlock(block));
  EXPECT_EQ(stream.GetStream(), opened);
  EXPECT_EQ(stream.GetSize(), 0u);
  EXPECT_TRUE(stream.ReadAll().empty());
  std::vector<std::uint8_t> read(3);
  EXPECT_EQ(opened->Read(read), 0u);
}

TEST(MemoryStream, WithoutCopyGivesAnEmptyStreamThatGrowsWhenWritten) {
  skin::MemoryStream stream;
  platform::BlockStream* opened = stream.Open(skin::ByteArray{7, 7}, false);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(stream.GetSize(), 0u);
  ASSERT_TRUE(opened->Write(skin::ByteArray{4, 5, 6}));
  EXPECT_EQ(stream.ReadAll(), (skin::ByteArray{4, 5, 6}));
}

TEST(MemoryStream, OpeningAgainOrCopyingNeverFreesABlockTwice) {
  skin::MemoryStream stream;
  const platform::BlockHandle first = stream.Open(skin::ByteArray{1}, true)->Block();
  const platform::BlockHandle second = stream.Open(skin::ByteArray{2, 2}, true)->Block();
  EXPECT_FALSE(platform::IsBlock(first));
  {
    skin::MemoryStream copy = stream;
    EXPECT_EQ(copy.ReadAll(), (skin::ByteArray{2, 2}));
  }
  // The copy freed the shared block; this object's release finds it gone and harms nothing.
  EXPECT_FALSE(platform::IsBlock(second));
  const platform::BlockHandle other = platform::AllocateBlock(4);
  stream.Release();
  EXPECT_TRUE(platform::IsBlock(other));
  platform::FreeBlock(other);
}

}  // namespace
}  // namespace skintest
