// MainWindow and HelpWindow headless: what they show and what their click areas do.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/Globals.h"
#include "platform/window/ImageOwners.h"
#include "platform/window/Imaging.h"
#include "platform/window/WindowHost.h"
#include "resources/Pictures.h"
#include "skin/ImageLoading.h"

namespace apptest {
namespace {

constexpr platform::Point kHelpArea{40, 10};
constexpr platform::Point kMinimizeArea{357, 10};
constexpr platform::Point kCloseArea{379, 10};
constexpr platform::Point kHelpOkArea{215, 70};

platform::WindowHandle HelpWindow() {
  return platform::GetLoadedWindow("HelpWindow");
}

using WindowsTest = AppTest;

TEST_F(WindowsTest, MainWindowShowsTheStretchedSkinUnderTheDragHint) {
  ASSERT_EQ(platform::GetWindowRect(main_), (platform::Rect{50, 50, 450, 150}));
  EXPECT_TRUE(platform::IsWindowTopmost(main_));
  EXPECT_NE(platform::GetWindowStyle(main_, platform::StyleField::ExStyle) &
                platform::kExStyleAcceptFiles,
            0u);

  platform::OwnedImage expected(platform::CreateBitmap(400, 100).image);
  {
    platform::OwnedImage skin(skin::LoadImageFromBytes(resources::SkinPicture()));
    platform::OwnedImage hint(skin::LoadImageFromBytes(resources::DragHintPicture()));
    platform::OwnedGraphics graphics(platform::GetImageGraphics(expected.Get()).graphics);
    platform::DrawImageRect(graphics.Get(), skin.Get(), 0, 0, 400, 100);
    platform::DrawImageRect(graphics.Get(), hint.Get(), 0, 0, 400, 100);
  }
  const platform::Picture* shown = presenter_.LastPicture(main_);
  ASSERT_NE(shown, nullptr);
  const platform::Picture want = platform::ReadPicture(expected.Get()).value();
  ASSERT_EQ(shown->width, 400);
  ASSERT_EQ(shown->height, 100);
  EXPECT_TRUE(shown->pixels == want.pixels);
}

TEST_F(WindowsTest, CloseAreaEndsTheProgram) {
  presenter_.Click(main_, kCloseArea);
  EXPECT_FALSE(platform::IsWindow(main_));
  platform::RunMessageLoop();
  EXPECT_EQ(presenter_.AbandonedLoops(), 0);
  EXPECT_FALSE(app::MainSkin) << "the exit routine ran";
}

TEST_F(WindowsTest, MinimizeAreaMinimizes) {
  presenter_.Click(main_, kMinimizeArea);
  EXPECT_NE(
      platform::GetWindowStyle(main_, platform::StyleField::Style) & platform::kStyleMinimized, 0u);
  EXPECT_TRUE(platform::IsWindow(main_));
}

TEST_F(WindowsTest, APressOutsideTheLabelsMovesTheWindow) {
  presenter_.Press(main_, {200, 60});
  presenter_.Press(main_, kCloseArea);
  EXPECT_EQ(presenter_.SystemMoves(), std::vector<platform::WindowHandle>{main_});
}

TEST_F(WindowsTest, HelpOpensModallyTwiceInARowAndItsOkAreaClosesIt) {
  for (int round = 0; round < 2; ++round) {
    platform::WindowHandle help = 0;
    presenter_.Script([&] {
      help = HelpWindow();
      ASSERT_NE(help, 0u);
      EXPECT_EQ(app::HelpSkin->GetHandle(), help);
      EXPECT_EQ(platform::GetWindowRect(help), (platform::Rect{50, 50, 511, 150}));
      const platform::Picture* shown = presenter_.LastPicture(help);
      ASSERT_NE(shown, nullptr);
      EXPECT_EQ(shown->width, 461);
      EXPECT_EQ(shown->height, 100);
      EXPECT_FALSE(platform::IsWindowTopmost(main_));
      // MainWindow takes no clicks while the help is open.
      presenter_.Click(main_, kCloseArea);
      EXPECT_TRUE(platform::IsWindow(main_));
    });
    presenter_.Script([&] { presenter_.Click(help, kHelpOkArea); });

    presenter_.Click(main_, kHelpArea);

    EXPECT_EQ(presenter_.AbandonedLoops(), 0) << "round " << round;
    EXPECT_FALSE(platform::IsWindow(help));
    EXPECT_TRUE(platform::IsWindowTopmost(main_));
  }
}

TEST_F(WindowsTest, HelpClosedOtherwiseLeavesMainWindowNotOnTop) {
  presenter_.Script([] { platform::DestroyWindow(HelpWindow()); });
  presenter_.Click(main_, kHelpArea);
  EXPECT_EQ(presenter_.AbandonedLoops(), 0);
  EXPECT_EQ(HelpWindow(), 0u);
  EXPECT_FALSE(platform::IsWindowTopmost(main_));
  presenter_.Click(main_, kCloseArea);
  EXPECT_FALSE(platform::IsWindow(main_)) << "clicks work again once the help is gone";
}

}  // namespace
}  // namespace apptest
