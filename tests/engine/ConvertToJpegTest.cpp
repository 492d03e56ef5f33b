#include "engine/ConversionCommand.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>

#include "tests/support/Bitmap.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

const testing::Netpbm kPhoto = testing::PhotoLike(37, 21, 3);

// The component count of a JPEG's frame header, found by walking its markers: a judge that
// shares no code with our decoder. 0 when there is no frame header.
int ComponentsOf(const Bytes& jpeg) {
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const unsigned marker = jpeg[at + 1];
    const std::size_t length = jpeg[at + 2] << 8 | jpeg[at + 3];
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) return at + 9 < jpeg.size() ? jpeg[at + 9] : 0;
    at += 2 + length;
  }
  return 0;
}

// The grey levels our writer gives a colour picture: (306 R + 601 G + 117 B) >> 10.
testing::Netpbm GreyLevelsOf(const testing::Netpbm& colour) {
  testing::Netpbm grey{colour.width, colour.height, 1, {}};
  for (std::size_t i = 0; i + 2 < colour.pixels.size(); i += 3) {
    grey.pixels.push_back(static_cast<std::uint8_t>(
        (306 * colour.pixels[i] + 601 * colour.pixels[i + 1] + 117 * colour.pixels[i + 2]) >> 10));
  }
  return grey;
}

TEST(ConvertToJpegTest, EveryFailureSaysWhyAndLeavesNothingBehind) {
  ScopedTempDir dir;
  const std::string photo = dir.File("photo.bmp");
  WriteBytes(photo, testing::Bitmap24(kPhoto));
  Bytes cut = ReadBytes(photo);
  cut.resize(cut.size() - 100);
  WriteBytes(dir.File("cut.bmp"), cut);
  WriteBytes(dir.File("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
  std::filesystem::create_directory(dir.Path() / "folder.jpg");
  const std::string palette = std::string(DROPSHRINK_FIXTURES) + "/bmp/win8-palette.bmp";
  const std::string out = dir.File("out.jpg");
  const std::string missing = dir.File("missing.jpg");
  const std::string cutFile = dir.File("cut.bmp");
  const std::string text = dir.File("text.jpg");
  const std::string folder = dir.File("folder.jpg");
  const std::string pattern = dir.File("text.*");
  const std::string noFolder = dir.File("none/out.jpg");

  struct Case {
    const char* what;
    const char* source;
    const char* destination;
    JpegSettings settings;
    ConversionResult result;
    Failure failure;
    std::string_view format = {};
    std::string place = {};
  };
  const auto with = [](int quality, int smoothing) {
    return JpegSettings{.quality = quality, .smoothing = smoothing};
  };
  const Case cases[] = {
      {"quality 0", photo.c_str(), out.c_str(), with(0, 0), kInvalidArgument,
       Failure::InvalidArgument},
      {"quality 101", photo.c_str(), out.c_str(), with(101, 0), kInvalidArgument,
       Failure::InvalidArgument},
      {"smoothing -1", photo.c_str(), out.c_str(), with(75, -1), kInvalidArgument,
       Failure::InvalidArgument},
      {"smoothing 101", photo.c_str(), out.c_str(), with(75, 101), kInvalidArgument,
       Failure::InvalidArgument},
      {"no destination", photo.c_str(), nullptr, kApplicationSettings, kInvalidArgument,
       Failure::InvalidArgument},
      {"no source", nullptr, out.c_str(), kApplicationSettings, kInvalidArgument,
       Failure::InvalidArgument},
      {"missing source", missing.c_str(), out.c_str(), kApplicationSettings, kSourceMissing,
       Failure::SourceMissing},
      {"empty source", "", out.c_str(), kApplicationSettings, kSourceMissing,
       Failure::SourceMissing},
      {"text named .jpg", text.c_str(), out.c_str(), kApplicationSettings, kSourceUnreadable,
       Failure::NotThisFormat},
      // A refusal by the reader that knew the file tells more than the readers after it.
      {"a palette bitmap", palette.c_str(), out.c_str(), kApplicationSettings, kSourceUnreadable,
       Failure::Unsupported, "BMP"},
      {"a cut bitmap", cutFile.c_str(), out.c_str(), kApplicationSettings, kSourceUnreadable,
       Failure::Truncated, "BMP"},
      // The pattern matches a file, but no file has its literal name.
      {"a wildcard pattern", pattern.c_str(), out.c_str(), kApplicationSettings, kSourceMissing,
       Failure::SourceMissing},
      {"destination folder missing",
       photo.c_str(),
       noFolder.c_str(),
       kApplicationSettings,
       kWriteFailed,
       Failure::DestinationNotWritable,
       {},
       noFolder},
      {"destination is a folder",
       photo.c_str(),
       folder.c_str(),
       kApplicationSettings,
       kWriteFailed,
       Failure::DestinationNotWritable,
       {},
       folder},
  };
  const auto before = dir.Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ConversionOutcome outcome = ConvertToJpegWithReason(c.source, c.destination, c.settings);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.reason.failure, c.failure) << Describe(outcome.reason);
    if (!c.format.empty()) {
      EXPECT_EQ(outcome.reason.format, c.format);
    }
    EXPECT_EQ(outcome.reason.place, c.place);
    EXPECT_EQ(dir.Files(), before);
  }
}

// Anything but a regular file is refused before a reader opens it: a FIFO would block the open
// for ever. Each conversion runs in a child under an alarm, so a regression fails instead of
// hanging the suite.
TEST(ConvertToJpegTest, SpecialFilesAreRefusedWithoutBlocking) {
  ScopedTempDir dir;
  ASSERT_EQ(mkfifo(dir.File("p.jpg").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.Path() / "folder.png");
  const std::string socketPath = dir.File("s.bmp");
  const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::filesystem::create_symlink(dir.File("p.jpg"), dir.File("link.jpg"));
  const std::string out = dir.File("out.jpg");
  const auto before = dir.Files();

  for (const std::string& source :
       {dir.File("p.jpg"), dir.File("folder.png"), socketPath, dir.File("link.jpg"),
        std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(source);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      alarm(5);
      const ConversionOutcome outcome =
          ConvertToJpegWithReason(source.c_str(), out.c_str(), kApplicationSettings);
      _exit(outcome.result == kSourceUnreadable && outcome.reason.failure == Failure::NotRegularFile
                ? 0
                : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "blocked until the alarm" : "not refused as a special file");
    EXPECT_EQ(dir.Files(), before);
  }
  close(listening);
}

// Names are taken literally: a pattern that could match the whole file system returns at once.
TEST(ConvertToJpegTest, PatternsAndDanglingLinksAreMissing) {
  ScopedTempDir dir;
  std::filesystem::create_symlink(dir.File("gone.bmp"), dir.File("dangling.bmp"));
  WriteBytes(dir.File("a.png"), {1});
  const std::string out = dir.File("out.jpg");
  for (const std::string& source :
       {std::string("/*/*/*/*/*/*/*/*/nothere"), dir.File("*.png"), dir.File("dangling.bmp")}) {
    SCOPED_TRACE(source);
    const auto start = std::chrono::steady_clock::now();
    const ConversionOutcome outcome =
        ConvertToJpegWithReason(source.c_str(), out.c_str(), kApplicationSettings);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(outcome.result, kSourceMissing);
    EXPECT_EQ(outcome.reason.failure, Failure::SourceMissing);
  }
}

// The conversion's own signature: grey is exactly 1 or colour.
TEST(ConvertToJpegTest, OutputIsCjpegsForTheSamePixels) {
  ScopedTempDir dir;
  const std::string photo = dir.File("photo.bmp");
  WriteBytes(photo, testing::Bitmap24(kPhoto));
  const Bytes colour =
      testing::CjpegReferenceOf(photo, dir.File("colour.jpg"), kApplicationSettings);
  // cjpeg rounds its own grey weights, so it is given our grey levels to encode.
  const Bytes grey = testing::CjpegReference(GreyLevelsOf(kPhoto), dir.File("grey"));
  ASSERT_FALSE(colour.empty());
  ASSERT_FALSE(grey.empty());
  struct Case {
    std::int32_t grey;
    const Bytes& expected;
    int components;
  };
  for (const Case& c : {Case{0, colour, 3}, Case{1, grey, 1}, Case{2, colour, 3}}) {
    SCOPED_TRACE(c.grey);
    EXPECT_EQ(ConvertToJpeg(photo.c_str(), dir.File("out.jpg").c_str(), c.grey, 75, 1, 0),
              kSucceeded);
    const Bytes written = ReadBytes(dir.File("out.jpg"));
    EXPECT_EQ(ComponentsOf(written), c.components);
    EXPECT_TRUE(written == c.expected);
  }
}

TEST(ConvertToJpegTest, GreyJpegSourceBecomesColourOutput) {
  ScopedTempDir dir;
  const testing::Netpbm grey = testing::PhotoLike(29, 19, 1);
  ASSERT_FALSE(testing::CjpegReference(grey, dir.File("grey"), {.quality = 90}).empty());
  ASSERT_EQ(ComponentsOf(ReadBytes(dir.File("grey.jpg"))), 1);
  // djpeg -rgb hands cjpeg the grey levels as equal red, green and blue.
  ASSERT_TRUE(testing::RunsCleanly("djpeg -rgb -outfile '" + dir.File("decoded.ppm") + "' '" +
                                   dir.File("grey.jpg") + "'"));
  const Bytes expected = testing::CjpegReferenceOf(dir.File("decoded.ppm"),
                                                   dir.File("expected.jpg"), kApplicationSettings);
  ASSERT_FALSE(expected.empty());
  const ConversionOutcome outcome = ConvertToJpegWithReason(
      dir.File("grey.jpg").c_str(), dir.File("o.jpg").c_str(), kApplicationSettings);
  ASSERT_EQ(outcome.result, kSucceeded) << Describe(outcome.reason);
  const Bytes written = ReadBytes(dir.File("o.jpg"));
  EXPECT_EQ(ComponentsOf(written), 3);
  EXPECT_TRUE(written == expected);
}

// The pixel store is the first thing a decode needs from the temporary folder.
TEST(ConvertToJpegTest, ATemporaryFolderWithoutRoomSaysSoAndNamesTheFolder) {
  ScopedTempDir dir;
  const std::string photo = dir.File("photo.bmp");
  WriteBytes(photo, testing::Bitmap24(testing::PhotoLike(200, 100, 3)));
  const std::string own = dir.Path().string() + "/";
  struct Case {
    const char* what;
    std::string tmpdir;
    // Past this many bytes a file cannot grow, as on a full disk; no limit when 0.
    rlim_t limit;
    Failure failure;
    std::string place;
  };
  const Case cases[] = {
      {"no room for the store", own, 16384, Failure::NoSpaceForStore, own},
      // procfs takes no new file, even from root.
      {"a folder that takes no file", "/proc", 0, Failure::NoTempFolder, "/proc/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setenv("TMPDIR", c.tmpdir.c_str(), 1);
    ConversionOutcome outcome;
    {
      std::optional<testing::ScopedFileSizeLimit> limit;
      if (c.limit != 0) limit.emplace(c.limit);
      outcome =
          ConvertToJpegWithReason(photo.c_str(), dir.File("o.jpg").c_str(), kApplicationSettings);
    }
    setenv("TMPDIR", dir.Path().c_str(), 1);
    EXPECT_EQ(outcome.result, kSourceUnreadable);
    EXPECT_EQ(outcome.reason.failure, c.failure);
    EXPECT_EQ(outcome.reason.place, c.place);
    EXPECT_NE(Describe(outcome.reason).find(c.place), std::string::npos)
        << Describe(outcome.reason);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"photo.bmp"});
  }
}

TEST(ConvertToJpegTest, EverySampleFormatConvertsInColourAndInGrey) {
  ScopedTempDir dir;
  const std::string samples = DROPSHRINK_SAMPLES;
  for (const char* name : {"colour-jpeg.jpg", "grey-jpeg.jpg", "colour-bmp.bmp", "colour-tiff.tiff",
                           "palette-png.png", "colour-pcx.pcx", "colour-photocd.pcd"}) {
    SCOPED_TRACE(name);
    const std::string source = samples + "/" + name;
    const JpegSettings grey{.grey = true};
    EXPECT_EQ(
        ConvertToJpegWithReason(source.c_str(), dir.File("c.jpg").c_str(), kApplicationSettings)
            .result,
        kSucceeded);
    EXPECT_EQ(ComponentsOf(ReadBytes(dir.File("c.jpg"))), 3);
    EXPECT_EQ(ConvertToJpegWithReason(source.c_str(), dir.File("g.jpg").c_str(), grey).result,
              kSucceeded);
    EXPECT_EQ(ComponentsOf(ReadBytes(dir.File("g.jpg"))), 1);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"c.jpg", "g.jpg"}));
  }
}

TEST(ReadImageFileTest, FillsTheTargetOrSaysWhy) {
  ScopedTempDir dir;
  WriteBytes(dir.File("a.bmp"), testing::Bitmap24(testing::PhotoLike(5, 3, 3)));
  RasterImage image;
  EXPECT_EQ(ReadImageFile(dir.File("a.bmp").c_str(), image), kSucceeded);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.BitsPerPixel(), 24);

  RasterImage other;
  const ConversionOutcome missing = ReadImageFileWithReason(dir.File("b.bmp").c_str(), other);
  EXPECT_EQ(missing.result, kSourceMissing);
  EXPECT_EQ(missing.reason.failure, Failure::SourceMissing);
  WriteBytes(dir.File("text"), {'n', 'o'});
  const ConversionOutcome foreign = ReadImageFileWithReason(dir.File("text").c_str(), other);
  EXPECT_EQ(foreign.result, kSourceUnreadable);
  EXPECT_EQ(foreign.reason.failure, Failure::NotThisFormat);
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
