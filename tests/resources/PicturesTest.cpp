#include "resources/Pictures.h"

#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/Files.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

// Half-open pixel rectangle.
struct Box {
  int x0, y0, x1, y1;
  bool Contains(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  const std::uint8_t* At(int x, int y) const {
    return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  }
  std::uint8_t Alpha(int x, int y) const { return At(x, y)[3]; }
  // Visible and near black: letters and marks, never the grey-blue background.
  bool Dark(int x, int y) const {
    const std::uint8_t* p = At(x, y);
    return p[3] > 0 && std::max({p[0], p[1], p[2]}) < 64;
  }
};

std::optional<Pixels> Decode(Bytes bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  Pixels pixels{static_cast<int>(image.width), static_cast<int>(image.height),
                std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
  // Both calls free the image's resources themselves when they fail.
  if (!png_image_finish_read(&image, nullptr, pixels.rgba.data(), 0, nullptr)) return std::nullopt;
  return pixels;
}

std::uint32_t BigEndian32(Bytes bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct Picture {
  const char* name;
  Bytes (*bytes)();
  int width, height;
};

const Picture kPictures[] = {
    {"SkinPicture", resources::SkinPicture, 391, 107},
    {"DragHintPicture", resources::DragHintPicture, 400, 100},
    {"LoadingPicture", resources::LoadingPicture, 400, 100},
    {"DonePicture", resources::DonePicture, 400, 100},
    {"HelpPicture", resources::HelpPicture, 475, 112},
};

void PrintTo(const Picture& picture, std::ostream* out) {
  *out << picture.name;
}

class PictureTest : public testing::TestWithParam<Picture> {};

TEST_P(PictureTest, IsTheCommittedFileAsCompleteRgbaPngOfItsSize) {
  const Picture& picture = GetParam();
  const Bytes bytes = picture.bytes();
  const auto file = dropshrink::testing::ReadBytes(std::string(DROPSHRINK_RESOURCES) + "/" +
                                                   picture.name + ".png");
  ASSERT_TRUE(std::ranges::equal(bytes, file)) << "embedded bytes differ from the file";

  const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  const std::uint8_t ihdr[] = {'I', 'H', 'D', 'R'};
  const std::uint8_t iend[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xae, 0x42, 0x60, 0x82};
  ASSERT_GT(bytes.size(), 33u + sizeof iend);
  EXPECT_TRUE(std::ranges::equal(bytes.first(8), signature));
  EXPECT_TRUE(std::ranges::equal(bytes.subspan(12, 4), ihdr));
  EXPECT_EQ(BigEndian32(bytes, 16), static_cast<std::uint32_t>(picture.width));
  EXPECT_EQ(BigEndian32(bytes, 20), static_cast<std::uint32_t>(picture.height));
  EXPECT_EQ(bytes[24], 8) << "bit depth";
  EXPECT_EQ(bytes[25], 6) << "colour type RGBA";
  EXPECT_TRUE(std::ranges::equal(bytes.last(sizeof iend), iend)) << "file does not end in IEND";
  EXPECT_TRUE(Decode(bytes).has_value());
}

INSTANTIATE_TEST_SUITE_P(EmbeddedPictures, PictureTest, testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::string(info.param.name); });

// A background is shown stretched to its window; its marks must sit in the window's click areas.
// Within `marks_only` (window coordinates) anything dark is a mark.
struct Background {
  const char* name;
  Bytes (*bytes)();
  int window_width, window_height;
  std::vector<Box> click_areas;
  Box marks_only;
};

const Background kBackgrounds[] = {
    {"SkinPicture",
     resources::SkinPicture,
     400,
     100,
     {{0, 0, 80, 20}, {348, 0, 366, 20}, {370, 0, 388, 20}},
     {0, 0, 400, 100}},
    {"HelpPicture", resources::HelpPicture, 461, 100, {{190, 50, 240, 90}}, {0, 50, 461, 100}},
};

void PrintTo(const Background& background, std::ostream* out) {
  *out << background.name;
}

class BackgroundTest : public testing::TestWithParam<Background> {};

TEST_P(BackgroundTest, HasTransparentRoundedCornersAndAnOpaqueMiddle) {
  const auto pixels = Decode(GetParam().bytes());
  ASSERT_TRUE(pixels);
  const int w = pixels->width, h = pixels->height;
  for (int dy = 0; dy < 2; ++dy) {
    for (int dx = 0; dx < 2; ++dx) {
      EXPECT_EQ(pixels->Alpha(dx, dy), 0);
      EXPECT_EQ(pixels->Alpha(w - 1 - dx, dy), 0);
      EXPECT_EQ(pixels->Alpha(dx, h - 1 - dy), 0);
      EXPECT_EQ(pixels->Alpha(w - 1 - dx, h - 1 - dy), 0);
    }
  }
  // Everything but the corner radius is covered, edges included.
  int see_through = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 10; x < w - 10; ++x) see_through += pixels->Alpha(x, y) != 255;
  }
  for (int y = 10; y < h - 10; ++y) {
    for (int x = 0; x < w; ++x) see_through += pixels->Alpha(x, y) != 255;
  }
  EXPECT_EQ(see_through, 0);
}

TEST_P(BackgroundTest, MarksAreInsideTheirClickAreasAfterStretching) {
  const Background& background = GetParam();
  const auto pixels = Decode(background.bytes());
  ASSERT_TRUE(pixels);
  const double sx = static_cast<double>(background.window_width) / pixels->width;
  const double sy = static_cast<double>(background.window_height) / pixels->height;

  std::vector<int> inside(background.click_areas.size(), 0);
  int misplaced = 0;
  std::string first_misplaced;
  for (int y = 0; y < pixels->height; ++y) {
    for (int x = 0; x < pixels->width; ++x) {
      if (!pixels->Dark(x, y)) continue;
      const double wx = (x + 0.5) * sx, wy = (y + 0.5) * sy;
      bool in_area = false;
      for (std::size_t i = 0; i < background.click_areas.size(); ++i) {
        if (background.click_areas[i].Contains(wx, wy)) {
          in_area = true;
          ++inside[i];
        }
      }
      // A mark outside its click area invites a click that does nothing.
      if (in_area || !background.marks_only.Contains(wx, wy)) continue;
      if (misplaced++ == 0) first_misplaced = std::to_string(x) + "," + std::to_string(y);
    }
  }
  EXPECT_EQ(misplaced, 0) << "dark pixels outside the click areas, the first at "
                          << first_misplaced;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    EXPECT_GE(inside[i], 20) << "no mark in click area " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(EmbeddedPictures, BackgroundTest, testing::ValuesIn(kBackgrounds),
                         [](const auto& info) { return std::string(info.param.name); });

// A status picture is black letters filling a box, on nothing.
struct Status {
  const char* name;
  Bytes (*bytes)();
  Box text;
};

const Status kStatuses[] = {
    {"DragHintPicture", resources::DragHintPicture, {38, 35, 364, 68}},
    {"LoadingPicture", resources::LoadingPicture, {122, 35, 273, 68}},
    {"DonePicture", resources::DonePicture, {127, 36, 268, 58}},
};

void PrintTo(const Status& status, std::ostream* out) {
  *out << status.name;
}

class StatusTest : public testing::TestWithParam<Status> {};

TEST_P(StatusTest, IsBlackLettersFillingTheirBoxOnTransparency) {
  const Box& text = GetParam().text;
  const auto pixels = Decode(GetParam().bytes());
  ASSERT_TRUE(pixels);
  constexpr int kSlack = 3;
  const Box widened{text.x0 - kSlack, text.y0 - kSlack, text.x1 + kSlack, text.y1 + kSlack};

  Box ink{pixels->width, pixels->height, 0, 0};
  int strays = 0, coloured = 0, solid = 0;
  for (int y = 0; y < pixels->height; ++y) {
    for (int x = 0; x < pixels->width; ++x) {
      const std::uint8_t alpha = pixels->Alpha(x, y);
      if (alpha == 0) continue;
      strays += !widened.Contains(x, y);
      coloured += !pixels->Dark(x, y);
      if (alpha < 200) continue;
      ++solid;
      ink = {std::min(ink.x0, x), std::min(ink.y0, y), std::max(ink.x1, x + 1),
             std::max(ink.y1, y + 1)};
    }
  }
  EXPECT_EQ(strays, 0) << "visible pixels outside the text box";
  EXPECT_EQ(coloured, 0) << "visible pixels that are not black";
  EXPECT_GE(solid, (text.x1 - text.x0) * (text.y1 - text.y0) / 10) << "letters too faint";
  EXPECT_NEAR(ink.x0, text.x0, kSlack);
  EXPECT_NEAR(ink.y0, text.y0, kSlack);
  EXPECT_NEAR(ink.x1, text.x1, kSlack);
  EXPECT_NEAR(ink.y1, text.y1, kSlack);
}

INSTANTIATE_TEST_SUITE_P(EmbeddedPictures, StatusTest, testing::ValuesIn(kStatuses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
