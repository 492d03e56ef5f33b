// Every JPEG setting reaches libjpeg exactly as Debian's cjpeg passes it: the output must be its
// byte for byte, for the same picture file.
#include "engine/JpegSettings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Bitmap.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ReadBytes;
using testing::ScopedTempDir;
using testing::WriteBytes;

// Our grey levels truncate (306 R + 601 G + 117 B) >> 10 while libjpeg rounds its own weights,
// so a colour picture written in grey may differ from cjpeg -grayscale by one level. Grey rows
// therefore start from a picture whose red, green and blue are equal, where both give the level
// itself.
void WriteSource(const std::string& path, bool grey) {
  WriteBytes(path, testing::Bitmap24(testing::PhotoLike(131, 97, grey ? 1 : 3)));
}

std::vector<JpegSettings> Table() {
  std::vector<JpegSettings> rows;
  for (const bool grey : {false, true}) {
    for (const int quality : {1, 50, 75, 100}) {
      for (const int smoothing : {0, 30, 100}) {
        for (const bool optimize : {true, false}) {
          rows.push_back({.grey = grey,
                          .quality = quality,
                          .optimizeCoding = optimize,
                          .smoothing = smoothing});
        }
      }
    }
  }
  return rows;
}

std::string RowName(const JpegSettings& s) {
  return std::string(s.grey ? "grey" : "colour") + "_quality" + std::to_string(s.quality) +
         "_smoothing" + std::to_string(s.smoothing) + (s.optimizeCoding ? "_optimised" : "_plain");
}

class JpegSettingsTest : public ::testing::TestWithParam<JpegSettings> {};

TEST_P(JpegSettingsTest, OutputIsCjpegsByteForByte) {
  const JpegSettings& settings = GetParam();
  ScopedTempDir dir;
  const std::string source = dir.File("photo.bmp");
  WriteSource(source, settings.grey);
  const ConversionOutcome outcome =
      ConvertToJpegWithReason(source.c_str(), dir.File("out.jpg").c_str(), settings);
  ASSERT_EQ(outcome.result, kSucceeded) << Describe(outcome.reason);
  const std::vector<unsigned char> expected =
      testing::CjpegReferenceOf(source, dir.File("cjpeg.jpg"), settings);
  ASSERT_FALSE(expected.empty()) << "cjpeg did not run";
  const std::vector<unsigned char> written = ReadBytes(dir.File("out.jpg"));
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected);
}

INSTANTIATE_TEST_SUITE_P(Table, JpegSettingsTest, ::testing::ValuesIn(Table()),
                         [](const auto& info) { return RowName(info.param); });

// A row proves its setting only when that setting changes cjpeg's bytes for the picture.
TEST(JpegSettingsTableTest, EveryRowGivesDifferentBytes) {
  ScopedTempDir dir;
  WriteSource(dir.File("colour.bmp"), false);
  WriteSource(dir.File("grey.bmp"), true);
  std::set<std::vector<unsigned char>> outputs;
  for (const JpegSettings& settings : Table()) {
    SCOPED_TRACE(RowName(settings));
    const std::vector<unsigned char> bytes = testing::CjpegReferenceOf(
        dir.File(settings.grey ? "grey.bmp" : "colour.bmp"), dir.File("cjpeg.jpg"), settings);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(outputs.insert(bytes).second);
  }
}

}  // namespace
}  // namespace dropshrink
