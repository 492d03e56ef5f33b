#include "engine/readers/JpegCodec.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <jerror.h>

#include <chrono>
#include <filesystem>
#include <tuple>
#include <vector>

#include "engine/JpegSettings.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/JpegFiles.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::JpegHeaderOnly;
using testing::JpegMarkerAt;
using testing::JpegOf;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WithJpegFrameSize;
using testing::WithLastScanRepeated;
using testing::WriteBytes;

// A picture whose every byte differs from its neighbours, so a swapped channel
// or a shifted row shows.
void MakePattern(RasterImage& image, int width, int height, int bits, int palette = 0) {
  ASSERT_TRUE(image.Create(width, height, bits, palette));
  for (std::uint32_t i = 0; i < image.PixelBytes(); ++i) {
    image.Pixels()[i] = static_cast<std::uint8_t>(i * 37 % 251);
  }
  for (int e = 0; e < palette; ++e) {
    std::uint8_t* entry = image.Palette() + e * ColorTable::kEntryBytes;
    entry[0] = static_cast<std::uint8_t>(e);
    entry[1] = static_cast<std::uint8_t>(255 - e);
    entry[2] = static_cast<std::uint8_t>(e * 3);
  }
}

int WriteDefault(JpegCodec& codec, const std::string& path, const RasterImage& image,
                 int colour = 1) {
  return codec.Write(path.c_str(), image, 75, colour, 1, 0, nullptr);
}

struct Decoded {
  int result;
  ImageKind kind;
  int width, height, bits, palette;
};

Decoded Decode(const std::string& path, RasterImage& target) {
  JpegCodec reader;
  if (reader.Open(path.c_str(), target, nullptr) != 1) return {0, kKindNone, 0, 0, 0, 0};
  const ImageKind kind = reader.Kind();
  const int read = reader.Read();
  return {
      read, kind, target.Width(), target.Height(), target.BitsPerPixel(), target.PaletteEntries()};
}

// The pixels a written JPEG must hold for a pattern picture, worked out here from the stored
// bytes: palette entries looked up, alpha dropped, grey levels by the engine's own weights
// (306, 601 and 117 per 1024, truncated), which cjpeg -grayscale would round differently.
testing::Netpbm ExpectedPixels(const RasterImage& image, bool colour) {
  testing::Netpbm picture{image.Width(), image.Height(), colour ? 3 : 1, {}};
  for (int y = 0; y < image.Height(); ++y) {
    const std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      std::uint8_t r, g, b;
      if (image.BitsPerPixel() == 8 && image.PaletteEntries() > 0) {
        const std::uint8_t* entry = image.Palette() + row[x] * ColorTable::kEntryBytes;
        r = entry[0], g = entry[1], b = entry[2];
      } else if (image.BitsPerPixel() == 8) {
        r = g = b = row[x];
      } else if (image.BitsPerPixel() == 24) {
        r = row[3 * x], g = row[3 * x + 1], b = row[3 * x + 2];
      } else {
        r = row[4 * x + 1], g = row[4 * x + 2], b = row[4 * x + 3];
      }
      if (colour) {
        picture.pixels.insert(picture.pixels.end(), {r, g, b});
      } else {
        picture.pixels.push_back(static_cast<std::uint8_t>((306 * r + 601 * g + 117 * b) >> 10));
      }
    }
  }
  return picture;
}

TEST(JpegCodecTest, EveryDepthWritesWhatCjpegWritesForItsPixels) {
  ScopedTempDir dir;
  struct Case {
    const char* what;
    int bits, palette, colour;
    ImageKind kind;
    int readBits;
  };
  const Case cases[] = {
      {"colour as it is", 24, 0, 1, kKindJpegColor, 24},
      {"grey in colour", 8, 0, 1, kKindJpegColor, 24},
      {"palette in colour", 8, 256, 1, kKindJpegColor, 24},
      {"alpha dropped", 32, 0, 1, kKindJpegColor, 24},
      {"colour in grey", 24, 0, 0, kKindJpegGrey, 8},
      {"palette in grey", 8, 256, 0, kKindJpegGrey, 8},
      {"any colour but 1 is grey", 24, 0, 2, kKindJpegGrey, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image, decoded;
    MakePattern(image, 33, 17, c.bits, c.palette);
    JpegCodec writer;
    const std::string path = dir.File("out.jpg");
    ASSERT_EQ(WriteDefault(writer, path, image, c.colour), 1);
    const bool colour = c.colour == 1;
    JpegSettings settings = kApplicationSettings;
    settings.grey = !colour;
    EXPECT_EQ(ReadBytes(path), testing::CjpegReference(ExpectedPixels(image, colour),
                                                       dir.File("expected"), settings));
    const Decoded d = Decode(path, decoded);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(std::tie(d.width, d.height, d.bits, d.palette),
              std::make_tuple(33, 17, c.readBits, 0));
    decoded.Release();
    EXPECT_EQ(dir.Files(), std::vector<std::string>({"expected.jpg", "expected.pnm", "out.jpg"}));
  }
}

TEST(JpegCodecTest, OnePixelRoundTripKeepsItsColour) {
  ScopedTempDir dir;
  RasterImage image, decoded;
  ASSERT_TRUE(image.Create(1, 1, 24, 0));
  image.Pixels()[0] = 200;
  image.Pixels()[1] = 40;
  image.Pixels()[2] = 90;
  JpegCodec writer;
  ASSERT_EQ(writer.Write(dir.File("one.jpg").c_str(), image, 100, 1, 1, 0, nullptr), 1);
  ASSERT_EQ(Decode(dir.File("one.jpg"), decoded).result, 1);
  EXPECT_NEAR(decoded.Pixels()[0], 200, 3);
  EXPECT_NEAR(decoded.Pixels()[1], 40, 3);
  EXPECT_NEAR(decoded.Pixels()[2], 90, 3);
}

std::vector<std::vector<int>> gProgress;
// The row at which jpeg_read_scanlines fails, below; -1 for none.
int gFailAtRow = -1;
void Record(int phase, int percent, int row, int reserved) {
  gProgress.push_back({phase, percent, row, reserved});
}

TEST(JpegCodecTest, ProgressPerRowAndOnceMoreAtTheEnd) {
  ScopedTempDir dir;
  RasterImage image, decoded;
  MakePattern(image, 5, 3, 24);
  JpegCodec codec;
  gProgress.clear();
  ASSERT_EQ(codec.Write(dir.File("p.jpg").c_str(), image, 75, 1, 1, 0, Record), 1);
  const std::vector<std::vector<int>> writing = {
      {0, 33, 0, 0}, {0, 66, 1, 0}, {0, 100, 2, 0}, {0, 100, 2, 0}};
  EXPECT_EQ(gProgress, writing);

  gProgress.clear();
  ASSERT_EQ(codec.Open(dir.File("p.jpg").c_str(), decoded, Record), 1);
  ASSERT_EQ(codec.Read(), 1);
  const std::vector<std::vector<int>> reading = {
      {1, 33, 0, 0}, {1, 66, 1, 0}, {1, 100, 2, 0}, {1, 100, 2, 0}};
  EXPECT_EQ(gProgress, reading);
}

TEST(JpegCodecTest, OpenRefusesWhatIsNotAOneOrThreeComponentJpeg) {
  ScopedTempDir dir;
  WriteBytes(dir.File("one-byte"), {0xFF});
  WriteBytes(dir.File("soi-then-garbage"), {0xFF, 0xD8, 'g', 'a', 'r', 'b', 'a', 'g', 'e'});
  WriteBytes(dir.File("png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
  WriteBytes(dir.File("empty"), {});
  WriteBytes(dir.File("cmyk.jpg"), JpegOf({.width = 8, .height = 8, .components = 4}));
  std::filesystem::create_directory(dir.Path() / "folder.jpg");

  RasterImage small;
  MakePattern(small, 8, 8, 24);
  JpegCodec writer;
  ASSERT_EQ(WriteDefault(writer, dir.File("good.jpg"), small), 1);
  small.Release();
  const std::vector<unsigned char> good = ReadBytes(dir.File("good.jpg"));
  const std::size_t frame = JpegMarkerAt(good, 0xC0);
  const std::size_t scan = JpegMarkerAt(good, 0xDA);
  ASSERT_LT(scan + 6, good.size());

  // A valid header claiming 65500 × 65500: its pixels do not fit in 32 bits.
  std::vector<unsigned char> huge = good;
  huge[frame + 5] = huge[frame + 7] = 0xFF;
  huge[frame + 6] = huge[frame + 8] = 0xDC;
  WriteBytes(dir.File("huge.jpg"), huge);
  // Samples of 12 bits, which this library build does not decode.
  std::vector<unsigned char> twelveBits = good;
  twelveBits[frame + 4] = 12;
  WriteBytes(dir.File("twelve-bits.jpg"), twelveBits);
  // The scan names Huffman tables 3 that the file never defines.
  std::vector<unsigned char> undefinedTable = good;
  undefinedTable[scan + 6] = 0x33;
  WriteBytes(dir.File("undefined-table.jpg"), undefinedTable);
  // The stream ends inside the frame header.
  WriteBytes(dir.File("cut-header.jpg"), {good.begin(), good.begin() + frame + 6});
  std::filesystem::remove(dir.File("good.jpg"));

  struct Case {
    const char* name;
    Failure failure;
  };
  const Case cases[] = {
      {"one-byte", Failure::NotThisFormat},      {"soi-then-garbage", Failure::Truncated},
      {"png", Failure::NotThisFormat},           {"empty", Failure::NotThisFormat},
      {"cmyk.jpg", Failure::Unsupported},        {"folder.jpg", Failure::NotRegularFile},
      {"huge.jpg", Failure::TooLarge},           {"twelve-bits.jpg", Failure::Unsupported},
      {"undefined-table.jpg", Failure::Corrupt}, {"cut-header.jpg", Failure::Truncated},
      {"missing", Failure::SourceMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RasterImage target;
    JpegCodec reader;
    EXPECT_EQ(reader.Open(dir.File(c.name).c_str(), target, nullptr), 0);
    EXPECT_EQ(reader.LastFailure(), c.failure);
    EXPECT_EQ(reader.Read(), 0);
    EXPECT_EQ(target.Width(), 0);
    EXPECT_EQ(reader.Close(), 1);
  }
  EXPECT_EQ(dir.Files().size(), 10u);  // nothing of ours was left
}

struct Outcome {
  int result;
  Failure failure;
  double seconds;
  bool targetEmpty;
};

Outcome TimedDecode(const std::string& path) {
  RasterImage target;
  JpegCodec reader;
  const auto start = std::chrono::steady_clock::now();
  const int result = reader.Open(path.c_str(), target, nullptr) == 1 ? reader.Read() : 0;
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  return {result, reader.LastFailure(), spent.count(), target.Pixels() == nullptr};
}

TEST(JpegCodecTest, NoStoreBiggerThanTheFileCanDescribe) {
  ScopedTempDir dir;
  RasterImage small, flat;
  MakePattern(small, 8, 8, 24);
  ASSERT_TRUE(flat.Create(1024, 1024, 24, 0));
  std::fill(flat.Pixels(), flat.Pixels() + flat.PixelBytes(), 128);
  JpegCodec writer;
  ASSERT_EQ(WriteDefault(writer, dir.File("w.jpg"), small), 1);
  const std::vector<unsigned char> baseline = ReadBytes(dir.File("w.jpg"));
  ASSERT_EQ(WriteDefault(writer, dir.File("w.jpg"), flat), 1);
  const std::vector<unsigned char> flatBaseline = ReadBytes(dir.File("w.jpg"));
  std::filesystem::remove(dir.File("w.jpg"));
  small.Release();
  flat.Release();
  const auto progressive = JpegOf({.width = 8, .height = 8, .progressive = true});
  const auto grey = JpegOf({.width = 8, .height = 8, .components = 1});

  struct Case {
    const char* what;
    std::vector<unsigned char> file;
    int result;
    Failure failure;
    double seconds;
  };
  const Case cases[] = {
      {"baseline 37000², no coded data", JpegHeaderOnly(WithJpegFrameSize(baseline, 37000, 37000)),
       0, Failure::Truncated, 0.1},
      {"progressive 4:4:4 30000², no coded data",
       JpegHeaderOnly(WithJpegFrameSize(progressive, 30000, 30000)), 0, Failure::Truncated, 0.1},
      // 3.6 GB of grey fits a store; counted as colour it would not.
      {"grey 60000², no coded data", JpegHeaderOnly(WithJpegFrameSize(grey, 60000, 60000)), 0,
       Failure::Truncated, 0.1},
      {"colour 60000²", JpegHeaderOnly(WithJpegFrameSize(baseline, 60000, 60000)), 0,
       Failure::TooLarge, 0.1},
      // The fewest bits a picture can be coded in still pass.
      {"flat baseline 4:2:0", flatBaseline, 1, Failure::None, 2},
      {"flat progressive 4:4:4",
       JpegOf({.width = 1024, .height = 1024, .progressive = true, .flat = true}), 1, Failure::None,
       2},
      {"flat sequential grey",
       JpegOf({.width = 1024, .height = 1024, .components = 1, .flat = true}), 1, Failure::None, 2},
      // Arithmetic coding spends far less than a bit on a flat block.
      {"flat arithmetic 4:4:4",
       JpegOf({.width = 1024, .height = 1024, .flat = true, .arithmetic = true}), 1, Failure::None,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("x.jpg"), c.file);
    const Outcome outcome = TimedDecode(dir.File("x.jpg"));
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_LT(outcome.seconds, c.seconds);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.jpg"});
  }
}

// Every prefix of a file: one that ends inside the picture data fails, one that lacks only
// (part of) the end marker reads whole where the coding shows the data complete: Huffman, not
// arithmetic. libjpeg warns of both; none of it reaches stderr.
TEST(JpegCodecTest, EveryPrefixThatCutsThePictureFails) {
  ScopedTempDir dir;
  RasterImage image;
  MakePattern(image, 32, 24, 24);
  JpegCodec writer;
  ASSERT_EQ(WriteDefault(writer, dir.File("w.jpg"), image), 1);
  image.Release();
  struct Case {
    const char* what;
    std::vector<unsigned char> file;
    // Bytes at the end that may go missing.
    std::size_t missable = 2;
  };
  const Case cases[] = {
      {"baseline 4:2:0", ReadBytes(dir.File("w.jpg"))},
      {"progressive 4:4:4", JpegOf({.width = 32, .height = 24, .progressive = true})},
      {"progressive grey",
       JpegOf({.width = 32, .height = 24, .components = 1, .progressive = true})},
      {"arithmetic sequential", JpegOf({.width = 32, .height = 24, .arithmetic = true}), 0},
      {"arithmetic progressive",
       JpegOf({.width = 32, .height = 24, .progressive = true, .arithmetic = true}), 0},
      {"sequential, a scan per component",
       JpegOf({.width = 32, .height = 24, .scanPerComponent = true})},
  };
  std::filesystem::remove(dir.File("w.jpg"));
  ::testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t size = c.file.size();
    for (std::size_t length = 0; length <= size; ++length) {
      SCOPED_TRACE(length);
      WriteBytes(dir.File("x.jpg"), {c.file.begin(), c.file.begin() + length});
      const Outcome outcome = TimedDecode(dir.File("x.jpg"));
      EXPECT_EQ(outcome.result, length + c.missable >= size ? 1 : 0);
      if (outcome.result == 0) {
        EXPECT_TRUE(outcome.targetEmpty);
      }
      EXPECT_LT(outcome.seconds, 2);
    }
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.jpg"});
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// Each scan of a progressive file costs a pass over the picture; a file of thousands of repeated
// scans is refused as soon as it passes the most any encoder writes.
TEST(JpegCodecTest, ScanBombIsRefused) {
  ScopedTempDir dir;
  const auto file = JpegOf({.width = 16, .height = 16, .components = 1, .progressive = true});
  // The repeated scans go before its end marker.
  ASSERT_LT(JpegMarkerAt(file, 0xD9), file.size());
  struct Case {
    std::size_t scans;
    int result;
    Failure failure;
  };
  const Case cases[] = {
      {500, 1, Failure::None},
      {501, 0, Failure::Unsupported},
      {50000, 0, Failure::Unsupported},
  };
  ::testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scans);
    WriteBytes(dir.File("x.jpg"), WithLastScanRepeated(file, c.scans));
    const Outcome outcome = TimedDecode(dir.File("x.jpg"));
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_LT(outcome.seconds, 2);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.jpg"});
  }
  // The repeated scans draw the library's warnings of a bad progression.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  // A reader used again gives the next file's own reason.
  WriteBytes(dir.File("cut.jpg"), {0xFF, 0xD8, 0xFF});
  RasterImage target;
  JpegCodec reader;
  EXPECT_EQ(reader.Open(dir.File("x.jpg").c_str(), target, nullptr), 0);
  EXPECT_EQ(reader.LastFailure(), Failure::Unsupported);
  EXPECT_EQ(reader.Open(dir.File("cut.jpg").c_str(), target, nullptr), 0);
  EXPECT_EQ(reader.LastFailure(), Failure::Truncated);
}

TEST(JpegCodecTest, ReadFailsCleanlyWhenTheTargetCannotBeCreated) {
  ScopedTempDir dir;
  RasterImage image, decoded;
  MakePattern(image, 8, 8, 24);
  JpegCodec codec;
  ASSERT_EQ(WriteDefault(codec, dir.File("a.jpg"), image), 1);
  image.Release();

  ASSERT_EQ(codec.Open(dir.File("a.jpg").c_str(), decoded, nullptr), 1);
  {
    testing::ScopedFileSizeLimit limit(100);  // the pixels need 192 bytes
    EXPECT_EQ(codec.Read(), 0);
  }
  EXPECT_EQ(codec.LastFailure(), Failure::NoSpaceForStore);
  EXPECT_EQ(codec.Read(), 0);  // Read ended closed
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"a.jpg"});
}

TEST(JpegCodecTest, FailedWriteLeavesNoFileAndKeepsAnOldDestination) {
  ScopedTempDir dir;
  RasterImage image, wide;
  MakePattern(image, 8, 8, 24);
  ASSERT_TRUE(wide.Create(65501, 1, 24, 0));  // beyond the largest JPEG dimension
  WriteBytes(dir.File("old.jpg"), {'o', 'l', 'd'});
  std::filesystem::create_directory(dir.Path() / "dest-is-a-folder.jpg");
  struct Case {
    const char* what;
    std::string path;
    const RasterImage* image;
    int quality, smoothing;
    Failure failure;
  };
  const Case cases[] = {
      {"missing folder", dir.File("none/x.jpg"), &image, 75, 0, Failure::DestinationNotWritable},
      {"library refuses the size", dir.File("old.jpg"), &wide, 75, 0, Failure::TooLarge},
      {"quality 0", dir.File("old.jpg"), &image, 0, 0, Failure::InvalidArgument},
      {"quality 101", dir.File("old.jpg"), &image, 101, 0, Failure::InvalidArgument},
      {"smoothing -1", dir.File("old.jpg"), &image, 75, -1, Failure::InvalidArgument},
      {"smoothing 101", dir.File("old.jpg"), &image, 75, 101, Failure::InvalidArgument},
      {"destination is a folder", dir.File("dest-is-a-folder.jpg"), &image, 75, 0,
       Failure::DestinationNotWritable},
  };
  const auto before = dir.Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    JpegCodec codec;
    EXPECT_EQ(codec.Write(c.path.c_str(), *c.image, c.quality, 1, 1, c.smoothing, nullptr), 0);
    EXPECT_EQ(codec.LastFailure(), c.failure);
    EXPECT_EQ(dir.Files(), before);
    EXPECT_EQ(ReadBytes(dir.File("old.jpg")), (std::vector<unsigned char>{'o', 'l', 'd'}));
  }

  RasterImage empty;
  JpegCodec codec;
  EXPECT_EQ(WriteDefault(codec, dir.File("new.jpg"), empty), 0);
  EXPECT_EQ(codec.LastFailure(), Failure::InvalidArgument);
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.jpg")));
}

TEST(JpegCodecTest, FullDiskWhileWritingKeepsTheOldDestination) {
  struct Case {
    const char* what;
    int size, bits, palette;
    rlim_t limit;
    Failure failure;
  };
  const Case cases[] = {
      {"while encoding", 256, 24, 0, 4096, Failure::DiskFull},
      // The picture holds 10,000 bytes; its colour copy would need 30,000.
      {"no room for the colour copy", 100, 8, 16, 20000, Failure::NoSpaceForStore},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    RasterImage image;
    MakePattern(image, c.size, c.size, c.bits, c.palette);
    WriteBytes(dir.File("old.jpg"), {'o', 'l', 'd'});
    JpegCodec codec;
    {
      testing::ScopedFileSizeLimit limit(c.limit);
      EXPECT_EQ(WriteDefault(codec, dir.File("old.jpg"), image), 0);
    }
    EXPECT_EQ(codec.LastFailure(), c.failure);
    EXPECT_EQ(ReadBytes(dir.File("old.jpg")), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"old.jpg"}));
  }
}

TEST(JpegCodecTest, SuccessfulWriteReplacesAnOldDestination) {
  ScopedTempDir dir;
  RasterImage image;
  MakePattern(image, 8, 8, 24);
  WriteBytes(dir.File("old.jpg"), std::vector<unsigned char>(100000, 'x'));
  JpegCodec codec;
  ASSERT_EQ(WriteDefault(codec, dir.File("missing/x.jpg"), image), 0);
  ASSERT_EQ(WriteDefault(codec, dir.File("old.jpg"), image), 1);
  EXPECT_EQ(codec.LastFailure(), Failure::None);
  const auto bytes = ReadBytes(dir.File("old.jpg"));
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_LT(bytes.size(), 100000u);
  EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 2, bytes.end()),
            (std::vector<unsigned char>{0xFF, 0xD9}));
}

// The folder's entries while a row is being encoded, read by the progress callback.
std::filesystem::path encodingFolder;
std::vector<std::string> entriesWhileEncoding;

// The output being written has no name in its folder, so a killed conversion leaves nothing
// behind; a write that succeeds names it only as it replaces the destination.
TEST(JpegCodecTest, TheOutputHasNoNameUntilItIsComplete) {
  ScopedTempDir dir;
  RasterImage image;
  MakePattern(image, 8, 8, 24);
  WriteBytes(dir.File("old.jpg"), {'o', 'l', 'd'});
  encodingFolder = dir.Path();
  entriesWhileEncoding.clear();
  JpegCodec codec;
  const ProgressCallback listFolder = [](int phase, int, int row, int) {
    if (phase != progress_phase::kWriting || row != 4) return;
    for (const auto& entry : std::filesystem::directory_iterator(encodingFolder)) {
      entriesWhileEncoding.push_back(entry.path().filename().string());
    }
  };
  ASSERT_EQ(codec.Write(dir.File("old.jpg").c_str(), image, 75, 1, 1, 0, listFolder), 1);
  EXPECT_EQ(entriesWhileEncoding, std::vector<std::string>{"old.jpg"});
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"old.jpg"});
  EXPECT_NE(ReadBytes(dir.File("old.jpg")), (std::vector<unsigned char>{'o', 'l', 'd'}));
}

TEST(JpegCodecTest, FatalErrorWhileDecodingRowsReleasesTheTarget) {
  ScopedTempDir dir;
  RasterImage image, decoded;
  MakePattern(image, 16, 40, 24);
  JpegCodec codec;
  ASSERT_EQ(WriteDefault(codec, dir.File("a.jpg"), image), 1);
  image.Release();

  ASSERT_EQ(codec.Open(dir.File("a.jpg").c_str(), decoded, nullptr), 1);
  gFailAtRow = 20;
  const int read = codec.Read();
  gFailAtRow = -1;
  EXPECT_EQ(read, 0);
  EXPECT_EQ(codec.LastFailure(), Failure::Corrupt);
  EXPECT_EQ(decoded.Pixels(), nullptr);
  EXPECT_EQ(decoded.Width(), 0);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"a.jpg"});

  // The codec is whole again: the same file reads to the end.
  ASSERT_EQ(codec.Open(dir.File("a.jpg").c_str(), decoded, nullptr), 1);
  EXPECT_EQ(codec.Read(), 1);
  EXPECT_EQ(decoded.Height(), 40);
}

}  // namespace
}  // namespace dropshrink

// libjpeg 2.1 only warns about damaged data in a single-scan file and reads every
// scan of a multi-scan file in jpeg_start_decompress, so no file makes
// jpeg_read_scanlines give up. This stand-in does, at gFailAtRow, the way the
// library gives up on a coefficient out of range: through the decoder's error manager.
extern "C" JDIMENSION jpeg_read_scanlines(j_decompress_ptr info, JSAMPARRAY rows,
                                          JDIMENSION count) {
  using Library = JDIMENSION (*)(j_decompress_ptr, JSAMPARRAY, JDIMENSION);
  static const auto library = reinterpret_cast<Library>(dlsym(RTLD_NEXT, "jpeg_read_scanlines"));
  if (static_cast<int>(info->output_scanline) == dropshrink::gFailAtRow) {
    info->err->msg_code = JERR_BAD_DCT_COEF;
    (*info->err->error_exit)(reinterpret_cast<j_common_ptr>(info));
  }
  return library(info, rows, count);
}
