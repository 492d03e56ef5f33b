// Photos come out upright and in their own colours: the orientation a source states is applied to
// the pixels, and its colour profile is embedded, exactly as Debian's tools would do it.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/PhotoMetadata.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ExifBlock;
using testing::ExifMarker;
using testing::IccMarker;
using testing::Netpbm;
using testing::Profile;
using testing::ReadBytes;
using testing::RunsCleanly;
using testing::ScopedTempDir;
using testing::WithMarker;
using testing::WriteBytes;
using Bytes = std::vector<unsigned char>;

// Odd sizes, both larger than the writer's band of rows, so turned pictures end in part-bands.
constexpr int kWidth = 151;
constexpr int kHeight = 69;

// pnmflip's steps for each orientation, 1 to 8.
const char* const kPnmflip[] = {"", "", "-lr", "-r180", "-tb", "-xy", "-cw", "-xy -r180", "-ccw"};

void WritePng(const std::string& path, const Netpbm& picture, const Bytes& exif,
              const Bytes& profile) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!exif.empty()) {
    png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                   const_cast<png_bytep>(exif.data()));
  }
  if (!profile.empty()) {
    png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE, profile.data(),
                 static_cast<png_uint_32>(profile.size()));
  }
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    png_write_row(png, picture.pixels.data() + static_cast<std::size_t>(y) * picture.width * 3);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

void WriteTiff(const std::string& path, const Netpbm& picture, int orientation,
               const Bytes& profile) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  if (!profile.empty()) {
    TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(profile.size()),
                 profile.data());
  }
  for (int y = 0; y < picture.height; ++y) {
    Bytes row(picture.pixels.begin() + static_cast<long>(y) * picture.width * 3,
              picture.pixels.begin() + static_cast<long>(y + 1) * picture.width * 3);
    ASSERT_EQ(TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0), 1);
  }
  TIFFClose(tiff);
}

// A JPEG of the picture, as Debian's cjpeg writes it.
Bytes SourceJpeg(ScopedTempDir& dir, const Netpbm& picture) {
  return testing::CjpegReference(picture, dir.File("source"), {.quality = 90});
}

// What the output must be: the stored pixels (a netpbm file, or `djpeg` of a JPEG) turned by
// pnmflip, encoded by cjpeg with the application's settings and the profile, when there is one.
Bytes Reference(ScopedTempDir& dir, const std::string& stored, int orientation,
                const Bytes& profile) {
  std::string command = "set -o pipefail; ";
  command += stored.ends_with(".jpg") ? "djpeg '" + stored + "'" : "cat '" + stored + "'";
  if (orientation != 1) command += " | pnmflip " + std::string(kPnmflip[orientation]);
  command += " | cjpeg" + testing::CjpegOptions(kApplicationSettings);
  if (!profile.empty()) {
    WriteBytes(dir.File("reference.icc"), profile);
    command += " -icc '" + dir.File("reference.icc") + "'";
  }
  command += " > '" + dir.File("reference.jpg") + "'";
  if (!RunsCleanly("bash -c \"" + command + "\"")) return {};
  return ReadBytes(dir.File("reference.jpg"));
}

Bytes Convert(const std::string& source, const std::string& output) {
  const ConversionOutcome outcome =
      ConvertToJpegWithReason(source.c_str(), output.c_str(), kApplicationSettings);
  EXPECT_EQ(outcome.result, kSucceeded) << ConversionResultName(outcome.result);
  return ReadBytes(output);
}

void WriteNetpbm(const std::string& path, const Netpbm& picture) {
  const std::string header =
      "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
  WriteBytes(path, file);
}

TEST(UprightAndProfileTest, EveryOrientationComesOutAsPnmflipTurnsIt) {
  ScopedTempDir dir;
  const Netpbm picture = testing::PhotoLike(kWidth, kHeight, 3);
  WriteNetpbm(dir.File("stored.ppm"), picture);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE("orientation " + std::to_string(orientation));
    const Bytes exif = ExifBlock({.orientation = orientation, .bigEndian = orientation % 2 == 0});
    WritePng(dir.File("source.png"), picture, exif, {});
    const Bytes expected = Reference(dir, dir.File("stored.ppm"), orientation, {});
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Convert(dir.File("source.png"), dir.File("out.jpg")), expected);
  }
}

// The phone's case: a portrait JPEG stored on its side, with a wide-gamut profile too long for
// one marker; and the same turn and profile from TIFF and PNG sources.
TEST(UprightAndProfileTest, EachFormatsOrientationAndProfileGoThroughAsDebiansToolsDoIt) {
  ScopedTempDir dir;
  const Netpbm picture = testing::PhotoLike(kWidth, kHeight, 3);
  WriteNetpbm(dir.File("stored.ppm"), picture);
  const Bytes profile = Profile(150'000);
  const Bytes jpeg = SourceJpeg(dir, picture);
  ASSERT_FALSE(jpeg.empty());
  WriteBytes(dir.File("plain.jpg"), jpeg);
  ASSERT_TRUE(RunsCleanly("djpeg '" + dir.File("plain.jpg") + "' | cjpeg -quality 90 -icc '" +
                          (WriteBytes(dir.File("p.icc"), profile), dir.File("p.icc")) + "' > '" +
                          dir.File("with-profile.jpg") + "'"));
  const Bytes withProfile = ReadBytes(dir.File("with-profile.jpg"));
  WriteBytes(dir.File("phone.jpg"),
             WithMarker(withProfile, 0xE1, ExifMarker(ExifBlock({6, true}))));
  WriteBytes(dir.File("mirrored.jpg"), WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({7}))));
  WriteTiff(dir.File("turned.tif"), picture, 6, profile);
  WritePng(dir.File("profile.png"), picture, {}, profile);

  struct Case {
    const char* source;
    std::string stored;
    int orientation;
    Bytes profile;
  };
  const Case cases[] = {
      {"phone.jpg", dir.File("with-profile.jpg"), 6, profile},
      {"mirrored.jpg", dir.File("plain.jpg"), 7, {}},
      {"turned.tif", dir.File("stored.ppm"), 6, profile},
      {"profile.png", dir.File("stored.ppm"), 1, profile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const Bytes expected = Reference(dir, c.stored, c.orientation, c.profile);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Convert(dir.File(c.source), dir.File("out.jpg")), expected);
  }
}

// Metadata that cannot be read as written is ignored: the picture converts, turned where the
// orientation can still be read, without a profile when the profile does not add up.
TEST(UprightAndProfileTest, DamagedOrientationsAndProfilesNeverStopAConversion) {
  ScopedTempDir dir;
  const Netpbm picture = testing::PhotoLike(kWidth, kHeight, 3);
  const Bytes jpeg = SourceJpeg(dir, picture);
  ASSERT_FALSE(jpeg.empty());
  WriteBytes(dir.File("plain.jpg"), jpeg);
  const Bytes profile = Profile(1000);
  const Bytes half1(profile.begin(), profile.begin() + 500);
  const Bytes half2(profile.begin() + 500, profile.end());
  Bytes cutProfile = profile;
  cutProfile.resize(900);
  const Bytes chunk(65'000, 0x11);

  struct Case {
    const char* what;
    Bytes file;
    int orientation;
  };
  std::vector<Case> cases = {
      {"directory past the block",
       WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({.orientation = 6, .directoryAt = 4000}))), 1},
      {"entries past the block",
       WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({.orientation = 6, .entries = 5000}))), 6},
      {"directory pointing at itself",
       WithMarker(jpeg, 0xE1,
                  ExifMarker(ExifBlock({.orientation = 8, .directoryAt = 4, .entries = 0}))),
       1},
      {"orientation 9", WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({.orientation = 9}))), 1},
      {"orientation as a long",
       WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({.orientation = 6, .type = 4}))), 1},
      {"two orientations",
       WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({.orientation = 6, .count = 2}))), 1},
      {"cut block", WithMarker(jpeg, 0xE1, ExifMarker(Bytes{'I', 'I', 42, 0, 8})), 1},
      {"not EXIF", WithMarker(jpeg, 0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/'}), 1},
      {"second EXIF ignored",
       WithMarker(WithMarker(jpeg, 0xE1, ExifMarker(ExifBlock({3}))), 0xE1,
                  ExifMarker(ExifBlock({6}))),
       6},
      {"chunk count lies", WithMarker(jpeg, 0xE2, IccMarker(1, 3, half1)), 1},
      {"chunk numbered 0",
       WithMarker(WithMarker(jpeg, 0xE2, IccMarker(0, 2, half2)), 0xE2, IccMarker(1, 2, half1)), 1},
      {"chunk twice",
       WithMarker(WithMarker(jpeg, 0xE2, IccMarker(1, 2, half1)), 0xE2, IccMarker(1, 2, half1)), 1},
      {"counts disagree",
       WithMarker(WithMarker(jpeg, 0xE2, IccMarker(2, 3, half2)), 0xE2, IccMarker(1, 2, half1)), 1},
      {"size in the header disagrees", WithMarker(jpeg, 0xE2, IccMarker(1, 1, cutProfile)), 1},
      {"no profile signature", WithMarker(jpeg, 0xE2, IccMarker(1, 1, Bytes(1000, 0))), 1},
  };
  // Seventeen full chunks: more than the largest profile kept.
  Bytes oversized = jpeg;
  for (int n = 17; n >= 1; --n) oversized = WithMarker(oversized, 0xE2, IccMarker(n, 17, chunk));
  cases.push_back({"profile over a megabyte", oversized, 1});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir.File("damaged.jpg"), c.file);
    const Bytes expected = Reference(dir, dir.File("plain.jpg"), c.orientation, {});
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Convert(dir.File("damaged.jpg"), dir.File("out.jpg")), expected);
  }
}

// The same for a PNG: libpng keeps no chunk larger than the largest profile kept.
TEST(UprightAndProfileTest, APngsOversizedProfileOrBrokenExifLeavesThePictureAsStored) {
  ScopedTempDir dir;
  const Netpbm picture = testing::PhotoLike(kWidth, kHeight, 3);
  WriteNetpbm(dir.File("stored.ppm"), picture);
  WritePng(dir.File("oversized.png"), picture, {}, Profile(1'200'000));
  WritePng(dir.File("broken-exif.png"), picture, ExifBlock({.orientation = 6, .directoryAt = 99}),
           {});
  const Bytes expected = Reference(dir, dir.File("stored.ppm"), 1, {});
  ASSERT_FALSE(expected.empty());
  for (const char* source : {"oversized.png", "broken-exif.png"}) {
    SCOPED_TRACE(source);
    EXPECT_EQ(Convert(dir.File(source), dir.File("out.jpg")), expected);
  }
}

}  // namespace
}  // namespace dropshrink
