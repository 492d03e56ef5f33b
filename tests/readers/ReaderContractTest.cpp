// What every format reader promises the reader chain, run over each reader.
// A reader joins by adding a traits struct (its name, how Open is called, how
// to make a small valid file of its format) to kFormats and ReaderTypes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/readers/BmpReader.h"
#include "engine/readers/JpegCodec.h"
#include "engine/readers/PcdReader.h"
#include "engine/readers/PcxReader.h"
#include "engine/readers/PngReader.h"
#include "engine/readers/TiffReader.h"
#include "tests/support/Bitmap.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::PutU16;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

constexpr int kWidth = 7;
constexpr int kHeight = 5;

std::uint8_t Sample(int x, int y, int channel) {
  return static_cast<std::uint8_t>(x * 31 + y * 17 + channel * 53);
}

// The picture every valid file of the table holds.
testing::Netpbm Picture() {
  testing::Netpbm picture{kWidth, kHeight, 3, {}};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth * 3; ++x) picture.pixels.push_back(Sample(x / 3, y, x % 3));
  }
  return picture;
}

void MakeJpeg(const std::string& path) {
  ASSERT_FALSE(testing::CjpegReference(Picture(), path, {.quality = 90}).empty());
  std::filesystem::rename(path + ".jpg", path);
  std::filesystem::remove(path + ".pnm");
}

void MakeBmp(const std::string& path) {
  WriteBytes(path, testing::Bitmap24(Picture()));
}

// 24 bits in three planes, every byte below 0xC0 so each stands for itself.
void MakePcx(const std::string& path) {
  constexpr int kBytesPerLine = kWidth + 1;
  Bytes b(128, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = 8;
  PutU16(b, 8, kWidth - 1);
  PutU16(b, 10, kHeight - 1);
  b[65] = 3;
  PutU16(b, 66, kBytesPerLine);
  for (int y = 0; y < kHeight; ++y) {
    for (int c = 0; c < 3; ++c) {
      for (int x = 0; x < kBytesPerLine; ++x) b.push_back(Sample(x, y, c) % 0xC0);
    }
  }
  WriteBytes(path, b);
}

void MakePng(const std::string& path) {
  std::vector<std::uint8_t> pixels = Picture().pixels;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_RGB;
  ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr), 0);
}

// One row per strip, so a cut file loses strips.
void MakeTiff(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t row[kWidth * 3];
    for (int x = 0; x < kWidth * 3; ++x) row[x] = Sample(x / 3, y, x % 3);
    TIFFWriteScanline(tiff, row, static_cast<std::uint32_t>(y), 0);
  }
  TIFFClose(tiff);
}

// The 768 × 512 base image, just long enough, with the image pack signature.
void MakePhotoCd(const std::string& path) {
  Bytes b(0x30000 + 768 * 512 * 3 / 2, 0);
  std::memcpy(b.data() + 0x800, "PCD_IPI", 7);
  for (std::size_t i = 0x30000; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 13);
  WriteBytes(path, b);
}

struct Format {
  const char* name;
  void (*make)(const std::string& path);
};

const Format kFormats[] = {
    {"JPEG", MakeJpeg}, {"BMP", MakeBmp}, {"TIFF", MakeTiff},
    {"PNG", MakePng},   {"PCX", MakePcx}, {"Photo CD", MakePhotoCd},
};

template <class ReaderType, void (*Make)(const std::string&)>
struct Traits {
  using Reader = ReaderType;
  static void MakeFile(const std::string& path) { Make(path); }
  static int Open(Reader& reader, const std::string& path, RasterImage& target) {
    return reader.Open(path.c_str(), target, nullptr);
  }
};

struct JpegTraits : Traits<JpegCodec, MakeJpeg> {
  static constexpr const char* kName = "JPEG";
  // libjpeg pads a cut entropy-coded stream by design, so only cuts inside the
  // headers have to fail.
  static std::vector<std::size_t> Cuts(std::size_t) { return {0, 2, 100}; }
};
struct BmpTraits : Traits<BmpReader, MakeBmp> {
  static constexpr const char* kName = "BMP";
  static std::vector<std::size_t> Cuts(std::size_t size) { return {0, 2, 30, size / 2, size - 1}; }
};
struct TiffTraits : Traits<TiffReader, MakeTiff> {
  static constexpr const char* kName = "TIFF";
  static std::vector<std::size_t> Cuts(std::size_t size) { return {0, 4, size / 2, size - 1}; }
};
struct PngTraits : Traits<PngReader, MakePng> {
  static constexpr const char* kName = "PNG";
  static std::vector<std::size_t> Cuts(std::size_t size) { return {0, 8, 30, size / 2}; }
};
struct PcxTraits : Traits<PcxReader, MakePcx> {
  static constexpr const char* kName = "PCX";
  static std::vector<std::size_t> Cuts(std::size_t size) { return {0, 1, 100, size / 2, size - 1}; }
};
struct PcdTraits : Traits<PcdReader, MakePhotoCd> {
  static constexpr const char* kName = "Photo CD";
  static std::vector<std::size_t> Cuts(std::size_t size) { return {0, 0x807, size / 2, size - 1}; }
  // The chain reads the 768 × 512 base image.
  static int Open(Reader& reader, const std::string& path, RasterImage& target) {
    return reader.Open(path.c_str(), target, 2, nullptr);
  }
};

using ReaderTypes =
    ::testing::Types<JpegTraits, BmpTraits, TiffTraits, PngTraits, PcxTraits, PcdTraits>;

struct TraitsName {
  template <class T>
  static std::string GetName(int) {
    std::string name = T::kName;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
  }
};

std::vector<std::string> TemporaryFiles(const ScopedTempDir& dir) {
  std::vector<std::string> found;
  for (const std::string& name : dir.Files()) {
    if (name.starts_with(kTempPrefix) && name.ends_with(".tmp")) found.push_back(name);
  }
  return found;
}

// A 3 × 2 picture whose bytes count up, to see whether a reader touched it.
struct Snapshot {
  int width, height, bits;
  std::string store;
  Bytes pixels;
  bool operator==(const Snapshot&) const = default;
};

Snapshot SnapshotOf(const RasterImage& image) {
  return {image.Width(), image.Height(), image.BitsPerPixel(), image.Store().FileName().Text(),
          Bytes(image.Pixels(), image.Pixels() + image.PixelBytes())};
}

void FillMarker(RasterImage& image) {
  ASSERT_TRUE(image.Create(3, 2, 24, 0));
  for (std::uint32_t i = 0; i < image.PixelBytes(); ++i)
    image.Pixels()[i] = static_cast<std::uint8_t>(i + 1);
}

// Readers on the shared skeleton say why their last Open or Read failed.
template <class Reader>
constexpr bool kSaysWhy = requires(const Reader& reader) {
  reader.LastFailure();
};

template <class T>
class ReaderContractTest : public ::testing::Test {};
TYPED_TEST_SUITE(ReaderContractTest, ReaderTypes, TraitsName);

TYPED_TEST(ReaderContractTest, AFileOfAnotherKindIsRefusedWithoutTouchingTheTarget) {
  ScopedTempDir dir;
  Bytes text;
  while (text.size() < 4096)
    text.push_back(static_cast<unsigned char>("no picture here\n"[text.size() % 16]));
  WriteBytes(dir.File("text"), text);
  std::vector<std::string> foreign = {dir.File("text")};
  for (const Format& format : kFormats) {
    if (std::string(format.name) == TypeParam::kName) continue;
    foreign.push_back(dir.File(std::string("other ") + format.name));
    format.make(foreign.back());
  }
  for (const std::string& path : foreign) {
    SCOPED_TRACE(path);
    RasterImage target;
    FillMarker(target);
    const Snapshot before = SnapshotOf(target);
    typename TypeParam::Reader reader;
    EXPECT_EQ(TypeParam::Open(reader, path, target), 0);
    if constexpr (kSaysWhy<typename TypeParam::Reader>) {
      EXPECT_NE(reader.LastFailure(), Failure::None);
    }
    EXPECT_EQ(reader.Read(), 0);
    EXPECT_EQ(SnapshotOf(target), before);
    EXPECT_TRUE(TemporaryFiles(dir).empty());
  }
}

TYPED_TEST(ReaderContractTest, ReadEndsClosedAndOpenLeavesTheTargetAlone) {
  ScopedTempDir dir;
  TypeParam::MakeFile(dir.File("valid"));
  RasterImage target;
  FillMarker(target);
  const Snapshot before = SnapshotOf(target);
  typename TypeParam::Reader reader;
  ASSERT_EQ(TypeParam::Open(reader, dir.File("valid"), target), 1);
  EXPECT_EQ(SnapshotOf(target), before);
  ASSERT_EQ(reader.Read(), 1);
  EXPECT_GE(target.Width(), 1);
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_TRUE(TemporaryFiles(dir).empty());
  target.Release();
  EXPECT_TRUE(TemporaryFiles(dir).empty());
}

TYPED_TEST(ReaderContractTest, CloseTwiceIsHarmlessAndTheReaderCanBeUsedAgain) {
  ScopedTempDir dir;
  TypeParam::MakeFile(dir.File("valid"));
  RasterImage target;
  typename TypeParam::Reader reader;
  EXPECT_EQ(reader.Close(), 1);
  EXPECT_EQ(reader.Read(), 0);
  ASSERT_EQ(TypeParam::Open(reader, dir.File("valid"), target), 1);
  EXPECT_EQ(reader.Close(), 1);
  EXPECT_EQ(reader.Close(), 1);
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_EQ(target.Pixels(), nullptr);
  ASSERT_EQ(TypeParam::Open(reader, dir.File("valid"), target), 1);
  EXPECT_EQ(reader.Read(), 1);
  EXPECT_EQ(reader.Close(), 1);
  target.Release();
  EXPECT_TRUE(TemporaryFiles(dir).empty());
}

TYPED_TEST(ReaderContractTest, ATruncatedFileFailsCleanly) {
  ScopedTempDir dir;
  TypeParam::MakeFile(dir.File("valid"));
  const Bytes whole = ReadBytes(dir.File("valid"));
  for (const std::size_t cut : TypeParam::Cuts(whole.size())) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    WriteBytes(dir.File("cut"), Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    RasterImage target;
    FillMarker(target);
    const Snapshot before = SnapshotOf(target);
    typename TypeParam::Reader reader;
    const int opened = TypeParam::Open(reader, dir.File("cut"), target);
    if (opened != 1) {
      EXPECT_EQ(SnapshotOf(target), before);
    }
    EXPECT_EQ(opened == 1 ? reader.Read() : 0, 0);
    if constexpr (kSaysWhy<typename TypeParam::Reader>) {
      EXPECT_NE(reader.LastFailure(), Failure::None);
    }
    EXPECT_TRUE(TemporaryFiles(dir).empty());
    target.Release();
    EXPECT_TRUE(TemporaryFiles(dir).empty());
  }
}

// A reader checks the file it opened, not a name looked at earlier: a FIFO put in a picture's
// place after the conversion's own check must not make the reader wait for a writer.
TYPED_TEST(ReaderContractTest, AFifoIsRefusedAtOpenWithoutWaiting) {
  ScopedTempDir dir;
  ASSERT_EQ(mkfifo(dir.File("p").c_str(), 0600), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(5);
    RasterImage target;
    typename TypeParam::Reader reader;
    const bool refused = TypeParam::Open(reader, dir.File("p"), target) == 0 &&
                         reader.LastFailure() == Failure::NotRegularFile;
    _exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << (WIFSIGNALED(status) ? "waited for a writer" : "not refused as a special file");
}

}  // namespace
}  // namespace dropshrink
