#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SkinTestSupport.h"
#include "platform/window/ToolTips.h"
#include "skin/PngPictureBox.h"
#include "skin/SkinWindow.h"
#include "skin/StyleChange.h"

namespace skintest {
namespace {

class PngPictureBoxTest : public SkinTest {
 protected:
  // A skinned 400 x 100 window at (300, 200) on screen.
  platform::WindowHandle MainWindow() {
    const platform::WindowHandle window =
        TopLevel({300, 200, 700, 300}, 0, platform::kStyleClipChildren);
    EXPECT_TRUE(skin_.Attach(window));
    return window;
  }

  skin::SkinWindow skin_;
  skin::PngPictureBox box_;
};

TEST_F(PngPictureBoxTest, CreateMakesAStaticPictureBoxChild) {
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle window = KeepWindow(box_.Create(parent, 10, 20, 400, 100));

  EXPECT_EQ(box_.GetHandle(), window);
  EXPECT_EQ(platform::GetParent(window), parent);
  EXPECT_EQ(platform::GetClassName(window), "Static");
  EXPECT_EQ(platform::GetWindowText(window), "霓波真彩控件.图片框");
  EXPECT_EQ(platform::GetWindowStyle(window, platform::StyleField::Style),
            platform::kStyleChild | platform::kStyleVisible | platform::kStyleNotify);
  EXPECT_EQ(platform::GetWindowStyle(window, platform::StyleField::ExStyle),
            platform::kExStyleTransparent);
  EXPECT_EQ(platform::GetProperty(window, "PngControl_Type"), 2u);
  EXPECT_EQ(platform::GetProperty(window, "PngControl_BackImage"), 0u);
  EXPECT_EQ(platform::GetWindowRect(window), (platform::Rect{310, 220, 710, 320}));
  EXPECT_EQ(
      platform::GetWindowStyle(parent, platform::StyleField::Style) & platform::kStyleClipChildren,
      0u);
}

TEST_F(PngPictureBoxTest, CreateInNoWindowGivesZeroAndLeavesTheBoxUnattached) {
  const platform::WindowHandle gone = TopLevel({0, 0, 10, 10});
  platform::DestroyWindow(gone);
  EXPECT_EQ(box_.Create(gone, 0, 0, 10, 10), 0u);
  EXPECT_EQ(box_.GetHandle(), 0u);
  EXPECT_FALSE(box_.IsValid());
}

TEST_F(PngPictureBoxTest, AttachChangesOnlyTheStylesThatAreNotAsWanted) {
  const platform::WindowHandle parent = TopLevel({0, 0, 100, 100}, 0, platform::kStyleClipChildren);
  const platform::WindowHandle window =
      Child(parent, {0, 0, 10, 10}, platform::kStyleChild | platform::kStyleClipSiblings,
            platform::kExStyleToolWindow);
  ASSERT_TRUE(box_.Attach(window));
  EXPECT_EQ(platform::GetWindowStyle(window, platform::StyleField::Style), platform::kStyleChild);
  EXPECT_EQ(platform::GetWindowStyle(window, platform::StyleField::ExStyle),
            platform::kExStyleToolWindow | platform::kExStyleTransparent);
  EXPECT_EQ(platform::GetWindowStyle(parent, platform::StyleField::Style), 0u);
  EXPECT_EQ(MessagesOf(window, platform::kMessageStyleChanged).size(), 2u);
  EXPECT_EQ(MessagesOf(parent, platform::kMessageStyleChanged).size(), 1u);

  // A second attach finds every style as wanted and writes nothing.
  skin::PngPictureBox again;
  ASSERT_TRUE(again.Attach(window));
  EXPECT_EQ(MessagesOf(window, platform::kMessageStyleChanged).size(), 2u);
  EXPECT_EQ(MessagesOf(parent, platform::kMessageStyleChanged).size(), 1u);
  EXPECT_FALSE(skin::ChangeStyle(window, platform::kStyleClipSiblings, 0));
  EXPECT_FALSE(skin::ChangeExStyle(window, 0, platform::kExStyleTransparent));
  EXPECT_TRUE(skin::ChangeExStyle(window, platform::kExStyleToolWindow, 0));
}

TEST_F(PngPictureBoxTest, AttachToNoWindowKeepsTheHandleAndAttachPictureBoxStops) {
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle window = KeepWindow(box_.Create(parent, 0, 0, 10, 10));
  EXPECT_FALSE(box_.Attach(0));
  box_.AttachPictureBox(0, Image(Solid(2, 2, kRed)));
  EXPECT_EQ(box_.GetHandle(), window);
  EXPECT_EQ(box_.GetProperty("PngControl_BackImage"), 0u);
}

TEST_F(PngPictureBoxTest, AttachPictureBoxTakesOverAWindowMadeElsewhere) {
  const platform::WindowHandle parent = MainWindow();
  const platform::ImageHandle picture = Image(Solid(2, 2, kRed));
  struct Case {
    std::optional<platform::ImageHandle> image;
    platform::PropertyValue stored;
  };
  for (const Case& c : {Case{std::nullopt, 0}, Case{0, 0}, Case{picture, picture}}) {
    const platform::WindowHandle window = Child(parent, {0, 0, 10, 10});
    platform::SetProperty(window, "PngControl_BackImage", 77);
    box_.AttachPictureBox(window, c.image);
    EXPECT_EQ(platform::GetProperty(window, "PngControl_Type"), 2u);
    EXPECT_EQ(platform::GetWindowText(window), "霓波真彩控件.图片框");
    // Without an image the window keeps what it had.
    EXPECT_EQ(platform::GetProperty(window, "PngControl_BackImage"), c.stored ? c.stored : 77u);
  }
}

TEST_F(PngPictureBoxTest, SetImageWithZeroOrNothingClearsThePicture) {
  const platform::WindowHandle parent = MainWindow();
  box_.Create(parent, 0, 0, 400, 100);
  const platform::ImageHandle red = Image(Solid(400, 100, kRed));

  box_.SetImage(red);
  box_.SetImage();
  EXPECT_EQ(box_.GetProperty("PngControl_BackImage"), 0u);
  box_.SetImage(red);
  box_.SetImage(0);
  EXPECT_EQ(box_.GetProperty("PngControl_BackImage"), 0u);
  box_.SetImage(red);
  box_.SetImageFromBytes(skin::ByteArray{'n', 'o', 'p', 'e'});
  EXPECT_EQ(box_.GetProperty("PngControl_BackImage"), 0u);

  skin_.Refresh();
  EXPECT_EQ(Shown(parent).At(200, 50), kTransparent);
  EXPECT_TRUE(platform::GetImageDimension(red)) << "the replaced picture is not disposed";
}

TEST_F(PngPictureBoxTest, SetImageMarksTheControlAndTheParentAreaUnderItForRepainting) {
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle window = box_.Create(parent, 30, 40, 50, 20);
  platform::ValidateWindow(parent);
  platform::ValidateWindow(window);

  box_.SetImage(Image(Solid(5, 5, kRed)));

  EXPECT_EQ(platform::GetUpdateRect(parent), (platform::Rect{30, 40, 80, 60}));
  EXPECT_EQ(platform::GetUpdateRect(window), (platform::Rect{0, 0, 50, 20}));
  EXPECT_TRUE(presenter_.Presentations().empty()) << "the box never composes by itself";
}

TEST_F(PngPictureBoxTest, HandlesAndMessageSendersAgree) {
  EXPECT_FALSE(box_.IsValid());
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle window = Child(parent, {0, 0, 10, 10});
  box_.AttachPictureBox(window);
  EXPECT_EQ(box_.GetWindowHandle(), box_.GetHandle());
  EXPECT_TRUE(box_.IsValid());

  box_.SendControlMessage(platform::kMessageUser, 1, 2);
  box_.SendWindowMessage(platform::kMessageUser, 1, 2);
  const auto got = MessagesOf(window, platform::kMessageUser);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].wParam, got[1].wParam);
  EXPECT_EQ(got[0].lParam, got[1].lParam);

  EXPECT_TRUE(box_.SetProperty("Own", 5));
  EXPECT_EQ(box_.GetProperty("Own"), 5u);
  EXPECT_EQ(box_.GetProperty("Absent"), 0u);

  platform::DestroyWindow(parent);
  EXPECT_FALSE(box_.IsValid());
  EXPECT_EQ(box_.GetHandle(), window);
}

TEST_F(PngPictureBoxTest, MoveKeepsWhatIsNotGivenInTheParentsCoordinates) {
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle window = box_.Create(parent, 10, 20, 50, 30);
  box_.Move(5);
  EXPECT_EQ(platform::GetWindowRect(window), (platform::Rect{305, 220, 355, 250}));
  box_.Move();
  EXPECT_EQ(platform::GetWindowRect(window), (platform::Rect{305, 220, 355, 250}));
  box_.Move(std::nullopt, 0, std::nullopt, 40);
  EXPECT_EQ(platform::GetWindowRect(window), (platform::Rect{305, 200, 355, 240}));
}

TEST_F(PngPictureBoxTest, ToolTipsShareOneTopmostWindowAndLaterCallsOnlyReplaceTheText) {
  const platform::WindowHandle parent = MainWindow();
  const platform::WindowHandle first = box_.Create(parent, 0, 0, 40, 30);
  skin::PngPictureBox second;
  const platform::WindowHandle other = second.Create(parent, 50, 0, 20, 10);

  box_.SetToolTip("one", false);
  box_.SetToolTip("uno");
  second.SetToolTip("two");

  const platform::WindowHandle toolTip = platform::FindWindow("tooltips_class32");
  ASSERT_NE(toolTip, 0u);
  EXPECT_NE(
      platform::GetWindowStyle(toolTip, platform::StyleField::ExStyle) & platform::kExStyleTopmost,
      0u);
  EXPECT_EQ(platform::GetMaxTipWidth(toolTip), 1024);
  const auto tool = platform::FindTool(toolTip, first);
  ASSERT_TRUE(tool);
  EXPECT_EQ(tool->text, "uno");
  EXPECT_EQ(tool->placement, platform::TipPlacement::CentredBelow);
  EXPECT_EQ(tool->area, (platform::Rect{0, 0, 40, 30}));
  const auto otherTool = platform::FindTool(toolTip, other);
  ASSERT_TRUE(otherTool);
  EXPECT_EQ(otherTool->text, "two");
  EXPECT_EQ(otherTool->placement, platform::TipPlacement::AtPointer);
}

// A window composed from two pictures, as the application shows its status: a 391 x 107
// background stretched over the window and a 400 x 100 overlay at natural size.
TEST_F(PngPictureBoxTest, ABoxShowsItsPictureOverTheBackgroundAfterRefresh) {
  const platform::WindowHandle window = MainWindow();
  const platform::Picture background = MakePicture(391, 107, [](int x, int y) {
    const auto red = static_cast<std::uint32_t>(255 - x * 255 / 390);
    const auto blue = static_cast<std::uint32_t>(x * 255 / 390);
    const auto green = static_cast<std::uint32_t>(y * 128 / 106);
    return 0xFF000000 | red << 16 | green << 8 | blue;
  });
  // Transparent but for an opaque green bar and a half-transparent white frame around it.
  const platform::Picture overlay = MakePicture(400, 100, [](int x, int y) -> std::uint32_t {
    if (x >= 100 && x < 300 && y >= 35 && y < 65) return 0xFF20C040;
    if (x >= 90 && x < 310 && y >= 25 && y < 75) return 0x80FFFFFF;
    return kTransparent;
  });
  ASSERT_TRUE(skin_.SetImageFromBytes(Png(background)));
  const platform::Picture backgroundOnly = Shown(window);

  box_.Create(window, 0, 0, 400, 100);
  box_.SetImageFromBytes(Png(overlay));
  EXPECT_EQ(Shown(window).pixels, backgroundOnly.pixels) << "nothing changes before Refresh";
  skin_.Refresh();
  const platform::Picture shown = Shown(window);

  ASSERT_EQ(shown.width, 400);
  ASSERT_EQ(shown.height, 100);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 400; ++x) {
      const std::uint32_t overlayPixel = overlay.At(x, y);
      if (overlayPixel == kTransparent) {
        ASSERT_EQ(shown.At(x, y), backgroundOnly.At(x, y)) << x << "," << y;
      } else if (overlayPixel >> 24 == 0xFF) {
        ASSERT_EQ(shown.At(x, y), overlayPixel) << x << "," << y;
      } else {
        // Half white over the background.
        const int under = static_cast<int>(backgroundOnly.At(x, y) >> 16 & 0xFF);
        const int red = static_cast<int>(shown.At(x, y) >> 16 & 0xFF);
        ASSERT_NEAR(red, (255 * 128 + under * 127) / 255, 2) << x << "," << y;
      }
    }
  }

  const std::filesystem::path out =
      std::filesystem::path(DROPSHRINK_BUILD_DIR) / "skin" / "composed_window.png";
  std::filesystem::create_directories(out.parent_path());
  const skin::ByteArray png = Png(shown);
  // Kept for a person to look at; the pixels were checked above.
  std::ofstream(out, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

}  // namespace
}  // namespace skintest
