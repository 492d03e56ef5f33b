#include "engine/RasterImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/support/Files.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;
using testing::WriteBytes;

std::string FileOf(const RasterImage& image) {
  return image.Store().FileName().Text();
}

TEST(RasterImageTest, RefusedGeometriesLeaveAnEmptyImageAndNoFile) {
  ScopedTempDir dir;
  struct Case {
    std::int32_t width, height, bits, palette;
  };
  const Case cases[] = {
      {0, 10, 24, 0},        {10, 0, 24, 0}, {-1, 10, 24, 0},
      {10, 10, 12, 0},       {3, 3, 8, -1},  {65536, 65536, 8, 0},  // 2^32 bytes: one past 32 bits
      {40000, 40000, 24, 0},
  };
  for (const Case& c : cases) {
    RasterImage image;
    ASSERT_TRUE(image.Create(5, 5, 24, 0));
    EXPECT_FALSE(image.Create(c.width, c.height, c.bits, c.palette))
        << c.width << "x" << c.height << "x" << c.bits << " palette " << c.palette;
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.BitsPerPixel(), 0);
    EXPECT_TRUE(dir.Files().empty());
  }
}

TEST(RasterImageTest, PixelsLiveInAPackedZeroedTemporaryFile) {
  ScopedTempDir dir;
  RasterImage image;
  ASSERT_TRUE(image.Create(4, 2, 24, 0));
  EXPECT_EQ(image.RowBytes(), 12u);
  EXPECT_EQ(image.PixelBytes(), 24u);
  EXPECT_EQ(FileOf(image), dir.File("RVKCLASS0.tmp"));
  // The file left the folder once created, so a killed process leaves nothing.
  EXPECT_TRUE(dir.Files().empty());
  EXPECT_TRUE(std::all_of(image.Pixels(), image.Pixels() + 24, [](auto b) { return b == 0; }));
  image.Pixels()[23] = 0xAB;
  image.Flush();

  RasterImage narrow;
  ASSERT_TRUE(narrow.Create(3, 1, 24, 0));
  EXPECT_EQ(narrow.RowBytes(), 9u);
  EXPECT_EQ(image.Pixels()[23], 0xAB);

  image.Release();
  EXPECT_TRUE(dir.Files().empty());
}

TEST(RasterImageTest, PaletteOnlyForEightBits) {
  ScopedTempDir dir;
  RasterImage paletted;
  ASSERT_TRUE(paletted.Create(3, 3, 8, 256));
  EXPECT_EQ(paletted.PaletteEntries(), 256);
  EXPECT_EQ(paletted.Colors().Count(), 256);
  EXPECT_NE(paletted.Palette(), nullptr);

  RasterImage colour;
  ASSERT_TRUE(colour.Create(3, 3, 24, 256));
  EXPECT_EQ(colour.PaletteEntries(), 0);
  EXPECT_EQ(colour.Palette(), nullptr);
}

TEST(RasterImageTest, TakenNamesAreSkippedAndEachImageHasItsOwnFile) {
  ScopedTempDir dir;
  WriteBytes(dir.File("RVKCLASS0.tmp"), {});
  WriteBytes(dir.File("RVKCLASS1.tmp"), {});
  RasterImage first, second;
  ASSERT_TRUE(first.Create(2, 2, 8, 0));
  ASSERT_TRUE(second.Create(2, 2, 8, 0));
  EXPECT_EQ(FileOf(first), dir.File("RVKCLASS2.tmp"));
  // The first image's name left the folder with its file, so it is free again; the files differ.
  EXPECT_EQ(FileOf(second), dir.File("RVKCLASS2.tmp"));
  first.Pixels()[0] = 1;
  second.Pixels()[0] = 2;

  ASSERT_TRUE(first.Create(4, 4, 24, 0));
  EXPECT_EQ(first.PixelBytes(), 48u);
  EXPECT_EQ(first.Pixels()[0], 0);
  EXPECT_EQ(second.Pixels()[0], 2);
  second.Release();
  // Names held by others are never touched.
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"RVKCLASS0.tmp", "RVKCLASS1.tmp"}));
}

TEST(RasterImageTest, ALinkHoldingAStoreNameIsNeitherFollowedNorReplaced) {
  ScopedTempDir dir;
  std::filesystem::create_symlink(dir.File("elsewhere"), dir.File("RVKCLASS0.tmp"));
  RasterImage image;
  ASSERT_TRUE(image.Create(2, 2, 8, 0));
  EXPECT_EQ(FileOf(image), dir.File("RVKCLASS1.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("RVKCLASS0.tmp")));
}

TEST(RasterImageTest, ConcurrentImagesNeverShareAFile) {
  ScopedTempDir dir;
  constexpr int kThreads = 4;
  constexpr int kRounds = 60;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&failures, t] {
      for (int round = 0; round < kRounds; ++round) {
        RasterImage image;
        if (!image.Create(16, 16, 8, 0)) {
          ++failures;
          continue;
        }
        std::fill(image.Pixels(), image.Pixels() + image.PixelBytes(),
                  static_cast<std::uint8_t>(t + 1));
        std::this_thread::yield();
        // Another thread mapping the same file would show its own mark here.
        if (!std::all_of(image.Pixels(), image.Pixels() + image.PixelBytes(),
                         [t](auto b) { return b == t + 1; })) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_TRUE(dir.Files().empty());
}

TEST(RasterImageTest, FullDiskFailsCreateCleanly) {
  ScopedTempDir dir;
  RasterImage image;
  {
    testing::ScopedFileSizeLimit limit(64 * 1024);
    EXPECT_FALSE(image.Create(1000, 1000, 24, 0));
  }
  EXPECT_EQ(image.LastFailure(), Failure::NoSpaceForStore);
  EXPECT_EQ(image.Pixels(), nullptr);
  EXPECT_TRUE(dir.Files().empty());
}

TEST(RasterImageTest, CopyFromCopiesPixelsAndPalette) {
  ScopedTempDir dir;
  RasterImage source;
  ASSERT_TRUE(source.Create(3, 2, 8, 2));
  for (std::uint32_t i = 0; i < source.PixelBytes(); ++i) source.Pixels()[i] = i % 2;
  const std::uint8_t entries[16] = {1, 2, 3, 0, 0, 0, 0, 0, 4, 5, 6, 0, 0, 0, 0, 0};
  std::copy(std::begin(entries), std::end(entries), source.Palette());

  RasterImage copy;
  ASSERT_TRUE(copy.CopyFrom(source));
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.PaletteEntries(), 2);
  EXPECT_TRUE(std::equal(source.Pixels(), source.Pixels() + 6, copy.Pixels()));
  EXPECT_TRUE(std::equal(entries, entries + 16, copy.Palette()));
  // The copy has a store of its own.
  copy.Pixels()[0] = 9;
  EXPECT_EQ(source.Pixels()[0], 0);

  RasterImage empty, target;
  EXPECT_FALSE(target.CopyFrom(empty));
}

}  // namespace
}  // namespace dropshrink
