// Hostile files through the whole conversion: each ends in an honest result within its time, and
// leaves nothing behind in the destination or the temporary folder.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Bitmap.h"
#include "tests/support/Files.h"
#include "tests/support/FolderNames.h"
#include "tests/support/JpegFiles.h"
#include "tests/support/PcxFiles.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/PngChunks.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"
#include "tests/support/TiffFiles.h"
#include "tests/support/UniformGreyPng.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::JpegShape;
using testing::NamesIn;
using testing::PcxFields;
using testing::PutU16;
using testing::PutU32;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

const std::string kFixtures = DROPSHRINK_FIXTURES;

// Makes a row's source in the folder and gives its path.
using Maker = std::function<std::string(const fs::path& in)>;

Maker FileOf(std::string name, Bytes bytes) {
  return [name = std::move(name), bytes = std::move(bytes)](const fs::path& in) {
    const std::string path = (in / name).string();
    WriteBytes(path, bytes);
    return path;
  };
}

Maker Fixture(const std::string& name) {
  return [name](const fs::path&) { return kFixtures + "/" + name; };
}

Maker Fifo(const char* name) {
  return [name](const fs::path& in) {
    const std::string path = (in / name).string();
    mkfifo(path.c_str(), 0600);
    return path;
  };
}

Maker Socket(const char* name) {
  return [name](const fs::path& in) {
    const std::string path = (in / name).string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int bound = socket(AF_UNIX, SOCK_STREAM, 0);
    bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(bound);  // the socket's file stays
    return path;
  };
}

Maker Folder(const char* name) {
  return [name](const fs::path& in) {
    fs::create_directory(in / name);
    return (in / name).string();
  };
}

Maker LinkTo(Maker target, const char* name) {
  return [target = std::move(target), name](const fs::path& in) {
    fs::create_symlink(target(in), in / name);
    return (in / name).string();
  };
}

Maker Path(std::string path) {
  return [path = std::move(path)](const fs::path&) { return path; };
}

// A pattern in a folder that holds files it would match, none of them of its literal name.
Maker PatternAmongPngs() {
  return [](const fs::path& in) {
    for (const char* name : {"a.png", "b.png"}) {
      fs::copy_file(kFixtures + "/png/rgb8.png", in / name);
    }
    return (in / "*.png").string();
  };
}

// A grey picture of one value written by libtiff with this compression, in strips of 64 rows.
Maker FlatTiff(const char* name, std::uint32_t side, std::uint16_t compression) {
  return [=](const fs::path& in) {
    const std::string path = (in / name).string();
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 64);
    if (compression == COMPRESSION_ADOBE_DEFLATE) TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 9);
    std::vector<std::uint8_t> row(side, 90);
    for (std::uint32_t y = 0; y < side; ++y) TIFFWriteScanline(tiff, row.data(), y, 0);
    TIFFClose(tiff);
    return path;
  };
}

// An 8-bit PCX of one colour in full runs of 63.
Bytes FlatPcx(int side) {
  Bytes runs;
  for (int line = 0; line < side; ++line) {
    for (int left = side; left > 0; left -= 63) {
      runs.insert(runs.end(), {static_cast<unsigned char>(0xC0 | std::min(left, 63)), 0x22});
    }
  }
  return testing::Pcx({.xMax = side - 1, .yMax = side - 1, .bytesPerLine = side}, runs);
}

// A 2 × 2 24-bit bitmap whose header is changed to claim other things.
Bytes SmallBitmap() {
  return testing::Bitmap24(testing::PhotoLike(2, 2, 3));
}

Bytes BitmapWith(std::size_t at, std::uint32_t value, Bytes b = SmallBitmap()) {
  PutU32(b, at, value);
  return b;
}

Bytes CutBy(Bytes b, std::size_t bytes) {
  b.resize(b.size() - bytes);
  return b;
}

Bytes PrefixOf(const Bytes& b, std::size_t length) {
  return {b.begin(), b.begin() + static_cast<std::ptrdiff_t>(length)};
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A pattern picture's JPEG cut halfway through its coded data.
Bytes CodedDataHalved(const Bytes& jpeg) {
  const std::size_t scan = testing::JpegMarkerAt(jpeg, 0xDA);
  return PrefixOf(jpeg, scan + (jpeg.size() - scan) / 2);
}

// Photo CD bytes with the signature and nothing else: long enough or not for the base image.
Bytes PhotoCdOfLength(std::size_t length) {
  Bytes b(length, 0);
  testing::PutText(b, 0x800, "PCD_IPI");
  return b;
}

// What the child saw of one conversion.
struct Report {
  ConversionResult result;
  Failure failure;
  char format[16];
  double seconds;
};

// Converts in a child process under an alarm, so a conversion that blocks or crashes fails its
// row instead of the suite. With `noStore` no file may grow past 1 MiB: a store made for the
// file would fail as no space instead of with the row's own reason. Empty when the child did not
// report: blocked until the alarm, or crashed.
std::optional<Report> ConvertInChild(const std::string& source, const std::string& destination,
                                     bool noStore) {
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    alarm(10);
    std::optional<testing::ScopedFileSizeLimit> limit;
    if (noStore) limit.emplace(1 << 20);
    const auto start = std::chrono::steady_clock::now();
    const ConversionOutcome outcome =
        ConvertToJpegWithReason(source.c_str(), destination.c_str(), kApplicationSettings);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    Report report{outcome.result, outcome.reason.failure, {}, spent.count()};
    outcome.reason.format.copy(report.format, sizeof report.format - 1);
    const bool written = write(channel[1], &report, sizeof report) == sizeof report;
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  Report report{};
  const bool reported = child > 0 && read(channel[0], &report, sizeof report) == sizeof report;
  close(channel[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (!reported) return std::nullopt;
  return report;
}

struct Row {
  const char* what;
  Maker source;
  ConversionResult result;
  Failure failure = Failure::None;
  std::string_view format = {};
  // The most the conversion may take.
  double seconds = 2;
  bool noStore = false;
};

// Each row in a fresh folder that is also the temporary folder, the source in in/ and the output
// in out/: afterwards out/ holds the output of a success and nothing else, and the temporary
// folder nothing but those two.
void ExpectRows(const std::vector<Row>& rows) {
  ScopedTempDir dir;
  const fs::path in = dir.Path() / "in";
  const fs::path out = dir.Path() / "out";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::create_directory(in);
    fs::create_directory(out);
    const std::string source = row.source(in);
    const std::optional<Report> report =
        ConvertInChild(source, (out / "o.jpg").string(), row.noStore);
    if (report.has_value()) {
      EXPECT_EQ(report->result, row.result) << ConversionResultName(report->result);
      EXPECT_EQ(report->failure, row.failure) << Describe({report->failure, report->format, {}});
      if (!row.format.empty()) {
        EXPECT_EQ(std::string_view(report->format), row.format);
      }
      EXPECT_LT(report->seconds, row.seconds);
    } else {
      ADD_FAILURE() << "the conversion blocked or crashed";
    }
    EXPECT_EQ(NamesIn(out), report.has_value() && report->result == kSucceeded
                                ? std::vector<std::string>{"o.jpg"}
                                : std::vector<std::string>{});
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"in", "out"}));
    fs::remove_all(in);
    fs::remove_all(out);
  }
}

// Anything but a regular file is refused before a reader opens it, and a name is only ever a
// name: no pattern is expanded, however much it would match.
TEST(HostileInputTest, SpecialFilesAndNames) {
  const Row refused = {nullptr, nullptr, kSourceUnreadable, Failure::NotRegularFile, {}, 0.1};
  const Row missing = {nullptr, nullptr, kSourceMissing, Failure::SourceMissing, {}, 0.1};
  const auto as = [](Row row, const char* what, Maker source) {
    row.what = what;
    row.source = std::move(source);
    return row;
  };
  ExpectRows({
      as(refused, "a FIFO named p.jpg", Fifo("p.jpg")),
      as(refused, "a socket", Socket("s.bmp")),
      as(refused, "a folder", Folder("folder.png")),
      as(refused, "/dev/zero", Path("/dev/zero")),
      as(refused, "a link to a FIFO", LinkTo(Fifo("p.jpg"), "link.jpg")),
      as(missing, "a pattern over the whole file system", Path("/*/*/*/*/*/*/*/*/nothere")),
      as(missing, "a pattern in a folder of PNG files", PatternAmongPngs()),
      as(missing, "a dangling link", LinkTo(Path("/nonexistent/gone.bmp"), "dangling.bmp")),
  });
}

// A header may claim far more picture than its file could describe: refused at once, before any
// store is made. The largest and most compressible real pictures still convert.
TEST(HostileInputTest, NoStoreBiggerThanTheFileCanDescribe) {
  const Bytes baseline = testing::JpegOf({.width = 8, .height = 8, .subsampled = true});
  const Bytes progressive = testing::JpegOf({.width = 8, .height = 8, .progressive = true});
  const Bytes grey = testing::JpegOf({.width = 8, .height = 8, .components = 1});
  const auto jpegOfSize = [](const Bytes& jpeg, int side) {
    return testing::JpegHeaderOnly(testing::WithJpegFrameSize(jpeg, side, side));
  };
  const auto png = [](const char* fixture, std::uint32_t width, std::uint32_t height) {
    return testing::WithPngSize(ReadBytes(kFixtures + "/png/" + fixture), width, height);
  };
  const auto pcx = [](PcxFields fields, std::size_t bytes) {
    return testing::Pcx(fields, Bytes(bytes, 7));
  };
  testing::TiffFields rawRows = {{256, {32767}}, {257, {32767}}, {258, {8}},
                                 {259, {1}},     {262, {1}},     {278, {1}}};
  testing::TiffFields deflateStrips = rawRows;
  deflateStrips[259] = {8};
  deflateStrips[278] = {64};
  // Each plane's tile is 2 GiB; libtiff would hold all three at once.
  const testing::TiffFields separatePlanes = {{256, {16}}, {257, {16}},    {258, {16}},
                                              {259, {1}},  {262, {2}},     {277, {3}},
                                              {284, {2}},  {322, {32768}}, {323, {32768}}};
  const auto tooBig = [](const char* what, Maker source, Failure failure, std::string_view format) {
    return Row{what, std::move(source), kSourceUnreadable, failure, format, 0.1, true};
  };
  const auto converts = [](const char* what, Maker source) {
    return Row{what, std::move(source), kSucceeded};
  };
  ExpectRows({
      tooBig("JPEG 37000² baseline, no coded data", FileOf("x.jpg", jpegOfSize(baseline, 37000)),
             Failure::Truncated, "JPEG"),
      tooBig("JPEG 30000² progressive 4:4:4, no coded data",
             FileOf("x.jpg", jpegOfSize(progressive, 30000)), Failure::Truncated, "JPEG"),
      // 3.6 GB of grey fits a store; counted as colour it would not.
      tooBig("JPEG 60000² grey, no coded data", FileOf("x.jpg", jpegOfSize(grey, 60000)),
             Failure::Truncated, "JPEG"),
      tooBig("JPEG 60000² colour", FileOf("x.jpg", jpegOfSize(baseline, 60000)), Failure::TooLarge,
             "JPEG"),
      tooBig("PCX 8-bit 37000², one byte a line",
             FileOf("x.pcx", pcx({.xMax = 36999, .yMax = 36999, .bytesPerLine = 1}, 37000)),
             Failure::Corrupt, "PCX"),
      tooBig("PCX 8-bit 37000², runs too few for the lines",
             FileOf("x.pcx", pcx({.xMax = 36999, .yMax = 36999, .bytesPerLine = 37000}, 37000)),
             Failure::Truncated, "PCX"),
      tooBig("PCX 24-bit 20000², runs too few for the lines",
             FileOf("x.pcx", pcx({.xMax = 19999,
                                  .yMax = 19999,
                                  .planes = 3,
                                  .bytesPerLine = 20000,
                                  .palette = false},
                                 200000)),
             Failure::Truncated, "PCX"),
      tooBig(
          "TIFF 32767² in 32767 strips of 100 bytes",
          FileOf("x.tiff", testing::Tiff(rawRows, 273, 279, std::vector<std::uint32_t>(32767, 100),
                                         Bytes(3276700, 1))),
          Failure::Truncated, "TIFF"),
      tooBig("TIFF 32767² whose strips lie past the end",
             FileOf("x.tiff", testing::GreyTiff(32767, 32767, Bytes(100, 1), {}, 1)),
             Failure::Truncated, "TIFF"),
      tooBig("TIFF Deflate strips of 64 rows in 100 bytes",
             FileOf("x.tiff", testing::Tiff(deflateStrips, 273, 279,
                                            std::vector<std::uint32_t>(512, 100), Bytes(51200, 1))),
             Failure::Truncated, "TIFF"),
      tooBig("TIFF separate planes whose tiles together pass 4 GiB",
             FileOf("x.tiff", testing::Tiff(separatePlanes, 324, 325, {1, 1, 1}, {1, 2, 3})),
             Failure::TooLarge, "TIFF"),
      tooBig("PNG grey 65535²", FileOf("x.png", png("grey8-netpbm.png", 65535, 65535)),
             Failure::Truncated, "PNG"),
      tooBig("PNG 1-bit grey 65535²", FileOf("x.png", png("grey1.png", 65535, 65535)),
             Failure::Truncated, "PNG"),
      tooBig("PNG RGB a million by 4000", FileOf("x.png", png("rgb8.png", 1000000, 4000)),
             Failure::Truncated, "PNG"),
      tooBig("BMP 40000 × 30000", FileOf("x.bmp", BitmapWith(22, 30000, BitmapWith(18, 40000))),
             Failure::Truncated, "BMP"),
      tooBig("BMP 0x7FFFFFF × 1", FileOf("x.bmp", BitmapWith(22, 1, BitmapWith(18, 0x7FFFFFF))),
             Failure::Truncated, "BMP"),
      converts("PNG grey 3000² of one value", FileOf("flat.png", testing::UniformGreyPng(3000))),
      converts("JPEG 2048² progressive 4:4:4 of one value",
               FileOf("flat.jpg",
                      testing::JpegOf(
                          {.width = 2048, .height = 2048, .progressive = true, .flat = true}))),
      converts("JPEG 2048² arithmetic-coded of one value",
               FileOf("flat.jpg",
                      testing::JpegOf(
                          {.width = 2048, .height = 2048, .flat = true, .arithmetic = true}))),
      converts("TIFF 2048² Deflate of one value", FlatTiff("flat.tiff", 2048, 8)),
      converts("TIFF 2048² LZW of one value", FlatTiff("flat.tiff", 2048, 5)),
      converts("TIFF 2048² PackBits of one value", FlatTiff("flat.tiff", 2048, 32773)),
      converts("PCX 2000² of one colour", FileOf("flat.pcx", FlatPcx(2000))),
  });
}

// A picture whose data stops early is a failure, never a success with invented rows; a file that
// lacks only its end marker holds every pixel.
TEST(HostileInputTest, MissingDataFails) {
  const Bytes baseline = testing::JpegOf({.width = 64, .height = 48, .subsampled = true});
  const Bytes progressive = testing::JpegOf({.width = 64, .height = 48, .progressive = true});
  const Bytes restarts = testing::JpegOf({.width = 64, .height = 48, .restartRows = 1});
  Bytes laterStripMissing = testing::GreyTiff(4, 4, Bytes(16, 200), {}, 2);
  laterStripMissing.resize(laterStripMissing.size() - 8);
  // The second strip's stored block lengths no longer agree.
  Bytes damagedDeflate = testing::DeflateTiff();
  damagedDeflate[damagedDeflate.size() - 38] ^= 0xFF;
  const auto fails = [](const char* what, Maker source, Failure failure, std::string_view format) {
    return Row{what, std::move(source), kSourceUnreadable, failure, format};
  };
  const auto converts = [](const char* what, Maker source) {
    return Row{what, std::move(source), kSucceeded};
  };
  ExpectRows({
      fails("JPEG baseline, coded data ends halfway", FileOf("x.jpg", CodedDataHalved(baseline)),
            Failure::Truncated, "JPEG"),
      fails("JPEG progressive, coded data ends halfway",
            FileOf("x.jpg", CodedDataHalved(progressive)), Failure::Truncated, "JPEG"),
      fails("JPEG with restart markers, coded data ends halfway",
            FileOf("x.jpg", CodedDataHalved(restarts)), Failure::Truncated, "JPEG"),
      fails("JPEG baseline, coded data ends halfway, then the end marker",
            FileOf("x.jpg", Concat(CodedDataHalved(baseline), {0xFF, 0xD9})), Failure::Corrupt,
            "JPEG"),
      converts("JPEG baseline without its end marker", FileOf("x.jpg", CutBy(baseline, 2))),
      converts("JPEG progressive without its end marker", FileOf("x.jpg", CutBy(progressive, 2))),
      converts("JPEG with restart markers without its end marker",
               FileOf("x.jpg", CutBy(restarts, 2))),
      fails("TIFF, the only strip cut short",
            FileOf("x.tiff", CutBy(testing::GreyTiff(2, 2, {1, 2, 3, 4}), 4)), Failure::Truncated,
            "TIFF"),
      fails("TIFF, a later strip missing", FileOf("x.tiff", laterStripMissing), Failure::Truncated,
            "TIFF"),
      fails("TIFF, a damaged Deflate strip", FileOf("x.tiff", damagedDeflate), Failure::Corrupt,
            "TIFF"),
      fails("PNG cut inside its image data",
            FileOf(
                "x.png",
                PrefixOf(ReadBytes(kFixtures + "/png/rgb8.png"),
                         testing::PngChunkAt(ReadBytes(kFixtures + "/png/rgb8.png"), "IDAT") + 20)),
            Failure::Truncated, "PNG"),
      fails("BMP, the last row without its padding", FileOf("x.bmp", CutBy(SmallBitmap(), 1)),
            Failure::Truncated, "BMP"),
      fails("BMP, a row and more missing", FileOf("x.bmp", CutBy(SmallBitmap(), 9)),
            Failure::Truncated, "BMP"),
      fails("PCX 24-bit, data ends before the last row",
            FileOf("x.pcx", testing::Pcx({.planes = 3, .bytesPerLine = 3, .palette = false},
                                         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1})),
            Failure::Truncated, "PCX"),
      fails("PCX 24-bit, a run's value byte missing",
            FileOf("x.pcx", testing::Pcx({.planes = 3, .bytesPerLine = 3, .palette = false},
                                         {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xC3})),
            Failure::Truncated, "PCX"),
      fails("PCX 8-bit, nothing but the header and palette", FileOf("x.pcx", testing::Pcx({}, {})),
            Failure::Truncated, "PCX"),
      fails("Photo CD one byte short of its base image",
            FileOf("x.pcd", PhotoCdOfLength(0x30000 + 768 * 512 * 3 / 2 - 1)), Failure::Truncated,
            "Photo CD"),
  });
}

// Each scan of a progressive file costs a pass over its components, however few bytes code it:
// thousands of scans, or a few hundred over a large picture, are refused early.
TEST(HostileInputTest, ScanBombsAreRefused) {
  const Bytes small =
      testing::JpegOf({.width = 16, .height = 16, .components = 1, .progressive = true});
  const Bytes large = testing::JpegOf(
      {.width = 4096, .height = 4096, .components = 1, .progressive = true, .flat = true});
  const auto bomb = [](const char* what, Maker source) {
    return Row{what, std::move(source), kSourceUnreadable, Failure::Unsupported, "JPEG"};
  };
  ExpectRows({
      Row{"16² with 500 scans", FileOf("x.jpg", testing::WithLastScanRepeated(small, 500)),
          kSucceeded},
      bomb("16² with 501 scans", FileOf("x.jpg", testing::WithLastScanRepeated(small, 501))),
      bomb("16² with 50000 scans", FileOf("x.jpg", testing::WithLastScanRepeated(small, 50000))),
      bomb("4096² of one value with 300 scans, each a pass over the picture",
           FileOf("x.jpg", testing::WithLastScanRepeated(large, 300))),
  });
}

// Damaged headers of every format: the reader that knew the file says why.
TEST(HostileInputTest, DamagedHeadersAreRefused) {
  const Bytes jpeg = testing::JpegOf({.width = 8, .height = 8, .subsampled = true});
  const std::size_t frame = testing::JpegMarkerAt(jpeg, 0xC0);
  const std::size_t scan = testing::JpegMarkerAt(jpeg, 0xDA);
  Bytes twelveBits = jpeg;
  twelveBits[frame + 4] = 12;
  // The scan names Huffman tables 3 that the file never defines.
  Bytes undefinedTable = jpeg;
  undefinedTable[scan + 6] = 0x33;

  const Bytes png = ReadBytes(kFixtures + "/png/rgb8.png");
  Bytes badHeaderCrc = png;
  badHeaderCrc[testing::kPngHeaderChunkAt + 8] ^= 1;
  const std::size_t idat = testing::PngChunkAt(png, "IDAT");
  Bytes badDataCrc = png;
  badDataCrc[idat + 10] ^= 0x40;
  // The zlib header's compression method is no longer deflate; the chunk's CRC still holds.
  Bytes notDeflate = png;
  notDeflate[idat + 8] = 0x0F;
  testing::FixPngCrc(notDeflate, idat);
  // A text chunk after the image data whose length says 1.4 GB, then the file ends.
  Bytes longText = PrefixOf(png, testing::PngChunkAt(png, "IEND"));
  longText.insert(longText.end(), {0x55, 0x00, 0x00, 0x25, 't', 'E', 'X', 't', 'd', 'a', 't', 'e'});

  Bytes os2Short = BitmapWith(10, 14 + 10);
  os2Short[14] = 12;
  const auto refused = [](const char* what, Maker source, Failure failure,
                          std::string_view format) {
    return Row{what, std::move(source), kSourceUnreadable, failure, format};
  };
  ExpectRows({
      refused("JPEG: the start marker, then garbage",
              FileOf("x.jpg", {0xFF, 0xD8, 'g', 'a', 'r', 'b', 'a', 'g', 'e'}), Failure::Truncated,
              "JPEG"),
      refused("JPEG: ends inside the frame header", FileOf("x.jpg", PrefixOf(jpeg, frame + 6)),
              Failure::Truncated, "JPEG"),
      refused("JPEG 65500²: its pixels pass 32 bits",
              FileOf("x.jpg", testing::WithJpegFrameSize(jpeg, 65500, 65500)), Failure::TooLarge,
              "JPEG"),
      refused("JPEG of 12-bit samples", FileOf("x.jpg", twelveBits), Failure::Unsupported, "JPEG"),
      refused("JPEG: an undefined Huffman table", FileOf("x.jpg", undefinedTable), Failure::Corrupt,
              "JPEG"),
      refused("JPEG in CMYK",
              FileOf("x.jpg", testing::JpegOf({.width = 8, .height = 8, .components = 4})),
              Failure::Unsupported, "JPEG"),
      refused("BMP: pixel offset below 14", FileOf("x.bmp", BitmapWith(10, 10)), Failure::Corrupt,
              "BMP"),
      refused("BMP: info block too short for the Windows fields",
              FileOf("x.bmp", BitmapWith(10, 14 + 16)), Failure::Truncated, "BMP"),
      refused("BMP: info block too short for the OS/2 fields", FileOf("x.bmp", os2Short),
              Failure::Truncated, "BMP"),
      refused("BMP: pixel offset past the end", FileOf("x.bmp", BitmapWith(10, 0xFFFFFFF0)),
              Failure::Truncated, "BMP"),
      refused("BMP: height of no absolute value", FileOf("x.bmp", BitmapWith(22, 0x80000000)),
              Failure::Unsupported, "BMP"),
      refused("BMP: file header only", FileOf("x.bmp", PrefixOf(SmallBitmap(), 14)),
              Failure::Truncated, "BMP"),
      refused("TIFF without a width",
              FileOf("x.tiff", testing::GreyTiff(2, 2, {1, 2, 3, 4}, {{256, -1}})),
              Failure::Corrupt, "TIFF"),
      refused("TIFF of length 0", FileOf("x.tiff", testing::GreyTiff(2, 0, {1, 2, 3, 4})),
              Failure::Corrupt, "TIFF"),
      refused("TIFF raster past 32 bits",
              FileOf("x.tiff", testing::GreyTiff(65536, 16384, {1, 2, 3, 4})), Failure::TooLarge,
              "TIFF"),
      refused("TIFF strip past 32 bits",
              FileOf("x.tiff",
                     testing::GreyTiff(65507, 17, {1, 2, 3, 4}, {{259, 32773}, {277, 63489}})),
              Failure::TooLarge, "TIFF"),
      refused("BigTIFF header cut short", FileOf("x.tiff", {'I', 'I', 43, 0, 8, 0, 0, 0}),
              Failure::Truncated, "TIFF"),
      refused("TIFF: first directory past the end",
              FileOf("x.tiff", {'I', 'I', 42, 0, 0xF0, 0, 0, 0}), Failure::Truncated, "TIFF"),
      refused("PNG signature only", FileOf("x.png", PrefixOf(png, 8)), Failure::Truncated, "PNG"),
      refused("PNG header CRC wrong", FileOf("x.png", badHeaderCrc), Failure::Corrupt, "PNG"),
      refused("PNG width 0", FileOf("x.png", testing::WithPngSize(png, 0, 10)), Failure::Corrupt,
              "PNG"),
      refused("PNG wider than libpng's limit",
              FileOf("x.png", testing::WithPngSize(png, 1000001, 10)), Failure::TooLarge, "PNG"),
      refused("PNG image data CRC wrong", FileOf("x.png", badDataCrc), Failure::Corrupt, "PNG"),
      refused("PNG image data not deflate", FileOf("x.png", notDeflate), Failure::Corrupt, "PNG"),
      refused("PNG chunk length claiming gigabytes", FileOf("x.png", longText), Failure::Truncated,
              "PNG"),
      refused("PCX header cut short", FileOf("x.pcx", PrefixOf(testing::Pcx({}, {}), 100)),
              Failure::Truncated, "PCX"),
      refused("PCX scan line longer than the line buffer",
              FileOf("x.pcx", testing::Pcx({.xMax = 1, .planes = 3, .bytesPerLine = 5}, {})),
              Failure::Unsupported, "PCX"),
      refused("PCX planes shorter than the width",
              FileOf("x.pcx", testing::Pcx({.xMax = 3, .planes = 3, .bytesPerLine = 2}, {})),
              Failure::Corrupt, "PCX"),
      refused("PCX Xmax below Xmin",
              FileOf("x.pcx", testing::Pcx({.xMin = 5}, {1, 2, 3, 4, 5, 6, 7, 8})),
              Failure::Corrupt, "PCX"),
  });
}

// Pictures one pixel wide or high, as ImageMagick writes them.
TEST(HostileInputTest, OnePixelWideOrHighPcxConverts) {
  std::vector<Row> rows;
  for (const char* name : {"pcx/pal8-10x1-magick.pcx", "pcx/pal8-1x10-magick.pcx",
                           "pcx/rgb24-10x1-magick.pcx", "pcx/rgb24-1x10-magick.pcx"}) {
    rows.push_back({name, Fixture(name), kSucceeded});
  }
  ExpectRows(rows);
}

}  // namespace
}  // namespace dropshrink
