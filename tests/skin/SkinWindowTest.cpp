#include <gtest/gtest.h>

#include <optional>

#include "SkinTestSupport.h"
#include "skin/FitInside.h"
#include "skin/SkinWindow.h"

namespace skintest {
namespace {

class SkinWindowTest : public SkinTest {
 protected:
  // A window at (300, 200) on screen, attached to skin_.
  platform::WindowHandle Skinned(int width = 400, int height = 100) {
    const platform::WindowHandle window = TopLevel({300, 200, 300 + width, 200 + height});
    EXPECT_TRUE(skin_.Attach(window));
    return window;
  }

  // A child the composition draws as a picture box, without the picture box class.
  platform::WindowHandle PictureChild(platform::WindowHandle parent, platform::Rect rect,
                                      platform::ImageHandle picture,
                                      std::optional<platform::PropertyValue> placement = {}) {
    const platform::WindowHandle child = Child(parent, rect);
    platform::SetProperty(child, "PngControl_Type", 2);
    platform::SetProperty(child, "PngControl_BackImage", picture);
    if (placement) platform::SetProperty(child, "PngControl_BackType", *placement);
    return child;
  }

  skin::SkinWindow skin_;
};

TEST_F(SkinWindowTest, AttachLeavesExactlyTheLayeredExtendedStyle) {
  const platform::WindowHandle window =
      TopLevel({0, 0, 10, 10}, platform::kExStyleToolWindow | platform::kExStyleAppWindow |
                                   platform::kExStyleTopmost);
  ASSERT_TRUE(skin_.Attach(window));
  EXPECT_EQ(platform::GetWindowStyle(window, platform::StyleField::ExStyle),
            platform::kExStyleLayered);
  EXPECT_EQ(skin_.GetHandle(), window);
  EXPECT_TRUE(presenter_.Presentations().empty()) << "nothing shows before a composition";
}

TEST_F(SkinWindowTest, AttachToNoWindowChangesNothing) {
  const platform::WindowHandle window = Skinned();
  const platform::WindowHandle gone = TopLevel({0, 0, 10, 10});
  platform::DestroyWindow(gone);
  for (const platform::WindowHandle handle : {platform::WindowHandle{0}, gone}) {
    EXPECT_FALSE(skin_.Attach(handle));
    EXPECT_EQ(skin_.GetHandle(), window);
  }
}

TEST_F(SkinWindowTest, IsValidOnlyWhileTheHeldHandleIsAWindow) {
  EXPECT_FALSE(skin_.IsValid());
  const platform::WindowHandle window = Skinned();
  const skin::SkinWindow copy = skin_;
  EXPECT_TRUE(skin_.IsValid());
  platform::DestroyWindow(window);
  EXPECT_FALSE(skin_.IsValid());
  EXPECT_FALSE(copy.IsValid());
  EXPECT_FALSE(skin_.SetImage(Image(Solid(4, 4, kRed))));
}

TEST_F(SkinWindowTest, ABackgroundIsStretchedOverTheWholeWindow) {
  const platform::WindowHandle window = Skinned();
  // Left half red, right half blue, the bottom seven rows white.
  const platform::Picture background = MakePicture(391, 107, [](int x, int y) {
    if (y >= 100) return kWhite;
    return x < 195 ? kRed : kBlue;
  });
  ASSERT_TRUE(skin_.SetImageFromBytes(Png(background)));

  const platform::Picture shown = Shown(window);
  ASSERT_EQ(shown.width, 400);
  ASSERT_EQ(shown.height, 100);
  for (const std::uint32_t pixel : shown.pixels) ASSERT_EQ(pixel >> 24, 0xFFu);
  EXPECT_EQ(shown.At(0, 0), kRed);
  EXPECT_EQ(shown.At(196, 50), kRed);
  EXPECT_EQ(shown.At(203, 50), kBlue);
  EXPECT_EQ(shown.At(399, 0), kBlue);
  EXPECT_EQ(shown.At(10, 99), kWhite);
  EXPECT_EQ(shown.At(10, 90), kRed);
}

TEST_F(SkinWindowTest, ImageZeroOrBytesThatAreNoPictureChangeNothing) {
  const platform::WindowHandle window = Skinned();
  const platform::ImageHandle background = Image(Solid(4, 4, kRed));
  ASSERT_TRUE(skin_.SetImage(background));
  const std::size_t presented = presenter_.Presentations().size();

  EXPECT_FALSE(skin_.SetImage(0));
  EXPECT_FALSE(skin_.SetImageFromBytes(skin::ByteArray{1, 2, 3}));

  EXPECT_EQ(platform::GetProperty(window, "PngControl_BackImage"), background);
  EXPECT_EQ(presenter_.Presentations().size(), presented);
  EXPECT_EQ(Shown(window).At(0, 0), kRed);
}

TEST_F(SkinWindowTest, EachCompositionIsPresentedOnceAtTheWindowSize) {
  const platform::WindowHandle window = Skinned(30, 20);
  skin_.Refresh();
  ASSERT_TRUE(skin_.SetImage(Image(Solid(4, 4, kRed))));
  skin_.Refresh();

  const auto& presentations = presenter_.Presentations();
  ASSERT_EQ(presentations.size(), 3u);
  for (const platform::Presentation& p : presentations) {
    EXPECT_EQ(p.window, window);
    EXPECT_EQ(p.size, (platform::Size{30, 20}));
  }
  EXPECT_EQ(presentations[2].sequence, 3u);
}

TEST_F(SkinWindowTest, WhereNothingIsDrawnTheWindowIsFullyTransparent) {
  const platform::WindowHandle window = Skinned();
  PictureChild(window, {10, 10, 20, 20}, Image(Solid(10, 10, kGreen)));
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  EXPECT_EQ(shown.At(15, 15), kGreen);
  EXPECT_EQ(shown.At(9, 15), kTransparent);
  EXPECT_EQ(shown.At(20, 15), kTransparent);
  EXPECT_EQ(shown.At(399, 99), kTransparent);
}

TEST_F(SkinWindowTest, OnlyChildrenOfThePictureBoxKindAreDrawn) {
  const platform::WindowHandle window = Skinned();
  const platform::ImageHandle green = Image(Solid(10, 10, kGreen));
  const platform::WindowHandle label = Child(window, {0, 0, 10, 10});
  platform::SetProperty(label, "PngControl_BackImage", green);
  PictureChild(window, {20, 0, 30, 10}, green);
  platform::SetProperty(PictureChild(window, {40, 0, 50, 10}, green), "PngControl_Type", 3);
  PictureChild(window, {60, 0, 70, 10}, 0);
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  EXPECT_EQ(shown.At(5, 5), kTransparent) << "a child without a kind";
  EXPECT_EQ(shown.At(25, 5), kGreen);
  EXPECT_EQ(shown.At(45, 5), kTransparent) << "a child of another kind";
  EXPECT_EQ(shown.At(65, 5), kTransparent) << "a picture box without a picture";
}

TEST_F(SkinWindowTest, ChildrenAreDrawnInZOrderAtTheirPlaceInTheWindow) {
  const platform::WindowHandle window = Skinned();
  skin_.Move(1000, 700);
  PictureChild(window, {10, 20, 60, 40}, Image(Solid(50, 20, kRed)));
  PictureChild(window, {30, 20, 80, 40}, Image(Solid(50, 20, kBlue)));
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  EXPECT_EQ(shown.At(10, 20), kRed);
  EXPECT_EQ(shown.At(9, 20), kTransparent);
  EXPECT_EQ(shown.At(10, 19), kTransparent);
  EXPECT_EQ(shown.At(45, 30), kBlue) << "the later child is lower in z-order and ends on top";
  EXPECT_EQ(shown.At(79, 39), kBlue);
}

// Columns alternate black and white, so any scaling shows as grey.
platform::Picture Stripes(int width, int height) {
  return MakePicture(width, height, [](int x, int) { return x % 2 == 0 ? kBlack : kWhite; });
}

TEST_F(SkinWindowTest, NaturalSizePlacementCutsALargerPictureAndDrawsASmallerOneUnscaled) {
  const platform::WindowHandle window = Skinned();
  PictureChild(window, {0, 0, 400, 50}, Image(Stripes(401, 50)));
  PictureChild(window, {0, 50, 400, 100}, Image(Stripes(100, 20)), 0);
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  for (const int x : {0, 1, 200, 398, 399}) {
    EXPECT_EQ(shown.At(x, 10), x % 2 == 0 ? kBlack : kWhite) << x;
  }
  for (const int x : {0, 1, 98, 99}) EXPECT_EQ(shown.At(x, 60), x % 2 == 0 ? kBlack : kWhite) << x;
  EXPECT_EQ(shown.At(100, 60), kTransparent);
  EXPECT_EQ(shown.At(50, 70), kTransparent);
}

TEST_F(SkinWindowTest, StretchPlacementFillsTheChild) {
  const platform::WindowHandle window = Skinned();
  PictureChild(window, {100, 10, 300, 90}, Image(Solid(7, 3, kGreen)), 1);
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  for (const auto& [x, y] : {std::pair{100, 10}, {299, 89}, {200, 50}}) {
    EXPECT_EQ(shown.At(x, y), kGreen) << x << "," << y;
  }
  EXPECT_EQ(shown.At(99, 50), kTransparent);
  EXPECT_EQ(shown.At(300, 50), kTransparent);
}

TEST(FitInside, ScalesDownKeepingProportionsAndNeverEnlarges) {
  struct Case {
    int imageWidth, imageHeight, boxWidth, boxHeight;
    skin::FittedSize fitted;
  };
  for (const Case& c : {Case{800, 600, 400, 100, {133, 100}}, Case{200, 50, 400, 100, {200, 50}},
                        Case{400, 100, 400, 100, {400, 100}}, Case{1000, 100, 400, 100, {400, 40}},
                        Case{100, 1000, 400, 100, {10, 100}}, Case{0, 0, 400, 100, {0, 0}},
                        Case{3, 3, 0, 0, {0, 0}}}) {
    EXPECT_EQ(skin::FitInside(c.imageWidth, c.imageHeight, c.boxWidth, c.boxHeight), c.fitted)
        << c.imageWidth << "x" << c.imageHeight << " in " << c.boxWidth << "x" << c.boxHeight;
  }
}

TEST_F(SkinWindowTest, FitPlacementCentresTheFittedPicture) {
  const platform::WindowHandle window = Skinned(400, 200);
  PictureChild(window, {0, 0, 400, 100}, Image(Solid(200, 50, kRed)), 2);
  PictureChild(window, {0, 100, 400, 200}, Image(Solid(800, 600, kBlue)), 2);
  skin_.Refresh();

  const platform::Picture shown = Shown(window);
  // 200 x 50 at (100, 25).
  EXPECT_EQ(shown.At(100, 25), kRed);
  EXPECT_EQ(shown.At(299, 74), kRed);
  EXPECT_EQ(shown.At(99, 50), kTransparent);
  EXPECT_EQ(shown.At(300, 50), kTransparent);
  EXPECT_EQ(shown.At(200, 24), kTransparent);
  EXPECT_EQ(shown.At(200, 75), kTransparent);
  // 133 x 100 at (133, 0) of the second child.
  EXPECT_EQ(shown.At(134, 100), kBlue);
  EXPECT_EQ(shown.At(264, 199), kBlue);
  EXPECT_EQ(shown.At(131, 150), kTransparent);
  EXPECT_EQ(shown.At(267, 150), kTransparent);
}

TEST_F(SkinWindowTest, MoveKeepsWhatIsNotGiven) {
  struct Case {
    std::optional<int> left, top, width, height;
    platform::Rect expected;
  };
  for (const Case& c :
       {Case{{}, {}, {}, {}, {300, 200, 700, 300}}, Case{10, {}, {}, {}, {10, 200, 410, 300}},
        Case{{}, 20, {}, {}, {300, 20, 700, 120}}, Case{{}, {}, 50, {}, {300, 200, 350, 300}},
        Case{{}, {}, {}, 60, {300, 200, 700, 260}}, Case{0, 0, 0, 0, {0, 0, 0, 0}}}) {
    const platform::WindowHandle window = Skinned();
    skin_.Move(c.left, c.top, c.width, c.height);
    EXPECT_EQ(platform::GetWindowRect(window), c.expected);
  }
}

TEST_F(SkinWindowTest, MoveRedrawsUnlessToldNotTo) {
  const platform::WindowHandle window = Skinned();
  skin_.Move(5, 5, std::nullopt, std::nullopt, true);
  EXPECT_FALSE(platform::GetUpdateRect(window));
  skin_.Move(6, 6);
  EXPECT_EQ(platform::GetUpdateRect(window), (platform::Rect{0, 0, 400, 100}));
  EXPECT_TRUE(presenter_.Presentations().empty()) << "moving composes nothing";
}

TEST_F(SkinWindowTest, SendWindowMessageReachesTheWindow) {
  const platform::WindowHandle window = Skinned();
  skin_.SendWindowMessage(platform::kMessageUser, 7, -8);
  const auto got = MessagesOf(window, platform::kMessageUser);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, 7u);
  EXPECT_EQ(got[0].lParam, -8);
}

}  // namespace
}  // namespace skintest
