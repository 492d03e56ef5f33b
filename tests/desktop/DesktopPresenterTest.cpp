#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "DesktopTestSupport.h"
#include "platform/desktop/DesktopPresenter.h"
#include "platform/window/Imaging.h"
#include "platform/window/LayeredWindow.h"
#include "platform/window/WindowHost.h"
#include "tests/skin/SkinTestSupport.h"

namespace desktoptest {
namespace {

using platform::Rect;
using platform::WindowHandle;
using skintest::kBlue;
using skintest::kGreen;
using skintest::kRed;
using skintest::MakePicture;
using skintest::Solid;

constexpr Rect kMainRect{50, 50, 450, 150};
constexpr QPoint kOnHelp{40, 10};
constexpr QPoint kOnClose{375, 10};
constexpr QPoint kElsewhere{200, 50};

// Runs the call from the event loop, after the caller has gone on.
void Post(std::function<void()> call) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

void Click(QWidget& widget, QPoint at) {
  SendMouse(widget, QEvent::MouseButtonPress, at);
  SendMouse(widget, QEvent::MouseButtonRelease, at);
}

// What the desktop shows of the widget now, from the window system's own buffer.
QImage OnScreen(QWidget& widget) {
  return widget.screen()
      ->grabWindow(widget.winId())
      .toImage()
      .convertToFormat(QImage::Format_ARGB32);
}

// Ends every event loop of the table when a test does not get there in time.
class Deadline {
 public:
  Deadline() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      expired_ = true;
      for (const WindowHandle window : platform::TopLevelWindows()) platform::DestroyWindow(window);
    });
    timer_.start(std::chrono::seconds(10));
  }
  bool Expired() const { return expired_; }

 private:
  QTimer timer_;
  bool expired_ = false;
};

class DesktopPresenterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::StartImaging({}); }

  void TearDown() override {
    for (const WindowHandle window : platform::TopLevelWindows()) platform::DestroyWindow(window);
  }

  // A start-up window, always on top and moved by a press anywhere, with a help and a close
  // label, that takes dropped files.
  WindowHandle LoadMain() {
    const WindowHandle window = platform::LoadStartupWindow({
        .name = "Main",
        .rect = kMainRect,
        .caption = "",
        .alwaysOnTop = true,
        .dragAnywhere = true,
        .onCreated = {},
        .labels = {{.name = "Help",
                    .text = "帮助",
                    .rect = {0, 0, 80, 20},
                    .onLeftButtonUp = [this] { onHelp_(); }},
                   {.name = "Close",
                    .text = "关闭",
                    .rect = {370, 0, 388, 20},
                    .onLeftButtonUp =
                        [this] {
                          ++closeClicks_;
                          onClose_();
                        }}},
        .dropTargets = {{.name = "Drop",
                         .text = "拖放对象",
                         .rect = {136, 32, 166, 62},
                         .onFilesDropped =
                             [this](std::string& text) {
                               drops_.push_back(text);
                               onDrop_();
                             }}},
    });
    EXPECT_TRUE(platform::RegisterDropTarget(window, "Drop", window));
    return window;
  }

  // Gives the window its whole appearance; the desktop window that shows it.
  QWidget* Show(WindowHandle window, const platform::Picture& picture) {
    platform::SetWindowStyle(window, platform::StyleField::ExStyle,
                             platform::GetWindowStyle(window, platform::StyleField::ExStyle) |
                                 platform::kExStyleLayered);
    const platform::ImageHandle image = platform::CreateBitmapFromPicture(picture).image;
    EXPECT_TRUE(
        platform::UpdateLayeredWindow(window, {picture.width, picture.height}, image, {0, 0}, {}));
    platform::DisposeImage(image);
    return presenter_.WidgetOf(window);
  }

  platform::DesktopPresenter presenter_;
  platform::PresenterBinding binding_{presenter_};
  std::function<void()> onHelp_ = [] {};
  std::function<void()> onClose_ = [] {};
  std::function<void()> onDrop_ = [] {};
  int closeClicks_ = 0;
  std::vector<std::string> drops_;
};

TEST_F(DesktopPresenterTest, DroppedFilesReachTheHandlerAfterTheDropHasReturned) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  const std::string a = "/tmp/dropped/my photo.jpg";
  const std::string b = "/tmp/dropped/照片.jpg";
  const QList<QUrl> files{QUrl::fromLocalFile(QString::fromUtf8(a)),
                          QUrl::fromLocalFile(QString::fromUtf8(b))};

  const DragResult enter = SendDrag(*widget, QEvent::DragEnter, files);
  EXPECT_TRUE(enter.accepted);
  EXPECT_EQ(enter.action, Qt::CopyAction);
  const DragResult drop = SendDrag(*widget, QEvent::Drop, files);
  EXPECT_TRUE(drop.accepted);
  EXPECT_EQ(drop.action, Qt::CopyAction) << "a source told 'moved' may delete the photos";
  EXPECT_TRUE(drops_.empty()) << "the files are handled after the drop has returned";

  ASSERT_TRUE(WaitUntil([&] { return !drops_.empty(); }));
  EXPECT_EQ(drops_, std::vector<std::string>{a + "\r\n" + b + "\r\n"});
}

TEST_F(DesktopPresenterTest, DropsWithNoLocalFileOrOnNoDropTargetAreRefused) {
  const WindowHandle main = LoadMain();
  QWidget* target = Show(main, Solid(400, 100, kBlue));
  const WindowHandle other =
      platform::CreateWindow({.exStyle = 0,
                              .className = platform::kStaticClass,
                              .text = "",
                              .style = platform::kStylePopup | platform::kStyleVisible,
                              .rect = {500, 50, 600, 150},
                              .parent = 0});
  QWidget* plain = Show(other, Solid(100, 100, kRed));
  ASSERT_NE(target, nullptr);
  ASSERT_NE(plain, nullptr);
  const QUrl local = QUrl::fromLocalFile("/tmp/a.jpg");

  struct Case {
    const char* what;
    QWidget* widget;
    QList<QUrl> urls;
    Qt::DropActions offered;
  };
  const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  const std::vector<Case> cases = {
      {"web addresses",
       target,
       {QUrl("https://example.com/a.jpg"), QUrl("file://elsewhere/tmp/b.jpg")},
       any},
      {"a source that can only move", target, {local}, Qt::MoveAction},
      {"a window that is no drop target", plain, {local}, any},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(SendDrag(*c.widget, QEvent::DragEnter, c.urls, c.offered).accepted) << c.what;
    EXPECT_FALSE(SendDrag(*c.widget, QEvent::Drop, c.urls, c.offered).accepted) << c.what;
  }
  TurnEventLoop();
  EXPECT_TRUE(drops_.empty());
}

TEST_F(DesktopPresenterTest, NoDropIsTakenWhileOneIsHandledOrDuringHousekeeping) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  const QList<QUrl> files{QUrl::fromLocalFile("/tmp/a.jpg")};

  // Qt hands a drop only to the widget that took the drag's entry.
  bool takenMeanwhile = true;
  onDrop_ = [&] { takenMeanwhile = SendDrag(*widget, QEvent::DragEnter, files).accepted; };
  ASSERT_TRUE(SendDrag(*widget, QEvent::DragEnter, files).accepted);
  ASSERT_TRUE(SendDrag(*widget, QEvent::Drop, files).accepted);
  EXPECT_FALSE(SendDrag(*widget, QEvent::DragEnter, files).accepted)
      << "a second drop before the first is handled";
  ASSERT_TRUE(WaitUntil([&] { return !drops_.empty(); }));
  EXPECT_FALSE(takenMeanwhile);
  onDrop_ = [] {};
  EXPECT_TRUE(SendDrag(*widget, QEvent::DragEnter, files).accepted) << "taken again afterwards";

  bool ran = false;
  bool takenDuringHousekeeping = true;
  Post([&] {
    ran = true;
    takenDuringHousekeeping = SendDrag(*widget, QEvent::DragEnter, files).accepted;
    widget->close();
  });
  presenter_.LetHousekeepingThrough();
  ASSERT_TRUE(ran) << "housekeeping runs what is queued";
  EXPECT_FALSE(takenDuringHousekeeping);
  EXPECT_TRUE(platform::IsWindow(main)) << "a close request waits until the work is over";
  presenter_.LetHousekeepingThrough();
  EXPECT_TRUE(platform::IsWindow(main));
  EXPECT_TRUE(WaitUntil([&] { return !platform::IsWindow(main); }));
  EXPECT_EQ(presenter_.WidgetOf(main), nullptr);
}

TEST_F(DesktopPresenterTest, AReleaseOverTheCloseLabelEndsTheMessageLoop) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  onClose_ = [main] { platform::DestroyWindow(main); };
  const Deadline deadline;
  Post([widget] { Click(*widget, kOnClose); });
  platform::RunMessageLoop();
  EXPECT_FALSE(deadline.Expired());
  EXPECT_EQ(closeClicks_, 1);
  EXPECT_FALSE(platform::IsWindow(main));
}

TEST_F(DesktopPresenterTest, AModalWindowRunsItsLoopInsideTheMessageLoop) {
  const WindowHandle main = LoadMain();
  QWidget* mainWidget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(mainWidget, nullptr);
  std::vector<std::string> steps;
  const platform::WindowDefinition help{
      .name = "Help",
      .rect = {50, 50, 511, 150},
      .caption = "",
      .alwaysOnTop = false,
      .dragAnywhere = false,
      .onCreated = [&] { Show(platform::GetLoadedWindow("Help"), Solid(461, 100, kRed)); },
      .labels = {{.name = "Ok",
                  .text = "提示确定",
                  .rect = {190, 50, 240, 90},
                  .onLeftButtonUp =
                      [&] {
                        steps.push_back("ok");
                        platform::DestroyWindow(platform::GetLoadedWindow("Help"));
                      }}},
      .dropTargets = {}};
  onHelp_ = [&] {
    steps.push_back("help");
    Post([&] {
      QWidget* helpWidget = presenter_.WidgetOf(platform::GetLoadedWindow("Help"));
      ASSERT_NE(helpWidget, nullptr);
      Click(*mainWidget, kOnClose);  // the main window takes no click meanwhile
      Click(*helpWidget, {200, 60});
    });
    platform::LoadModalWindow(help);
    steps.push_back("help closed");
    Post([&] { Click(*mainWidget, kOnClose); });
  };
  onClose_ = [&] {
    steps.push_back("close");
    platform::DestroyWindow(main);
  };
  const Deadline deadline;
  Post([&] { Click(*mainWidget, kOnHelp); });
  platform::RunMessageLoop();
  EXPECT_FALSE(deadline.Expired());
  EXPECT_EQ(steps, (std::vector<std::string>{"help", "ok", "help closed", "close"}));
}

TEST_F(DesktopPresenterTest, APressElsewhereMovesTheWindowAndItsReleaseClicksNothing) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  const Rect moved{80, 70, 480, 170};

  SendMouse(*widget, QEvent::MouseButtonPress, kElsewhere);
  SendDragMove(*widget, widget->mapToGlobal(kElsewhere) + QPoint(30, 20));
  EXPECT_TRUE(WaitUntil([&] { return platform::GetWindowRect(main) == moved; }));
  EXPECT_EQ(widget->geometry(), QRect(80, 70, 400, 100));
  SendMouse(*widget, QEvent::MouseButtonRelease, kOnClose);
  EXPECT_EQ(closeClicks_, 0) << "the end of a move over the close label";

  SendMouse(*widget, QEvent::MouseButtonPress, kOnClose);
  SendDragMove(*widget, widget->mapToGlobal(kOnClose) + QPoint(30, 20));
  TurnEventLoop();
  EXPECT_EQ(platform::GetWindowRect(main), moved) << "a press on a label moves nothing";
  SendMouse(*widget, QEvent::MouseButtonRelease, kOnClose);
  EXPECT_EQ(closeClicks_, 1);
}

TEST_F(DesktopPresenterTest, APresentedPictureIsOnScreenBeforePresentReturns) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->geometry(), QRect(50, 50, 400, 100));
  // Nothing is drawn before the window system has put the window on screen.
  ASSERT_TRUE(WaitUntil([widget] { return widget->windowHandle()->isExposed(); }));

  // The offscreen platform's screen has no alpha: what is on it is checked in opaque colours.
  for (const std::uint32_t colour : {kRed, kGreen}) {
    Show(main, MakePicture(400, 100, [colour](int x, int) { return x < 200 ? colour : kBlue; }));
    const QImage shown = OnScreen(*widget);
    ASSERT_EQ(shown.size(), QSize(400, 100));
    EXPECT_EQ(shown.pixel(0, 0), colour);
    EXPECT_EQ(shown.pixel(399, 99), kBlue);
  }
}

TEST_F(DesktopPresenterTest, ThePictureIsPaintedWithItsOwnAlpha) {
  const WindowHandle main = LoadMain();
  constexpr std::uint32_t kHalfRed = 0x80FF0000;
  QWidget* widget = Show(main, MakePicture(400, 100, [](int x, int) {
                           if (x < 100) return kRed;
                           if (x < 200) return 0u;
                           return kHalfRed;
                         }));
  ASSERT_NE(widget, nullptr);
  const QImage painted = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(painted.size(), QSize(400, 100));
  EXPECT_EQ(painted.pixel(0, 0), kRed);
  EXPECT_EQ(painted.pixel(150, 50), 0u);
  const QRgb half = painted.pixel(399, 99);
  EXPECT_NEAR(qAlpha(half), 0x80, 1);
  EXPECT_NEAR(qRed(half), 0xFF, 2);
  EXPECT_EQ(qGreen(half), 0);
  EXPECT_EQ(qBlue(half), 0);
}

TEST_F(DesktopPresenterTest, TheWindowFollowsTheTableAndTheTableTheWindow) {
  const WindowHandle main = LoadMain();
  QWidget* widget = Show(main, Solid(400, 100, kBlue));
  ASSERT_NE(widget, nullptr);
  ASSERT_NE(widget->windowHandle(), nullptr);
  const auto onTop = [widget] {
    return widget->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
  };
  const auto style = [main] { return platform::GetWindowStyle(main, platform::StyleField::Style); };

  EXPECT_TRUE(onTop());
  platform::SetAlwaysOnTop(main, false);
  EXPECT_FALSE(onTop());
  EXPECT_TRUE(widget->isVisible());
  platform::SetAlwaysOnTop(main, true);
  EXPECT_TRUE(onTop());

  platform::SetWindowPosition(main, 300, 200, 0, 0, platform::kPositionNoSize);
  EXPECT_EQ(widget->geometry(), QRect(300, 200, 400, 100));
  widget->move(10, 20);  // as the window manager would
  EXPECT_TRUE(WaitUntil([&] { return platform::GetWindowRect(main) == Rect{10, 20, 410, 120}; }));

  platform::MinimizeWindow(main);
  EXPECT_TRUE(widget->isMinimized());
  widget->showNormal();  // the user restores it
  EXPECT_TRUE(WaitUntil([&] { return (style() & platform::kStyleMinimized) == 0; }));

  platform::SetWindowStyle(main, platform::StyleField::Style, style() & ~platform::kStyleVisible);
  EXPECT_FALSE(widget->isVisible());
  platform::SetWindowStyle(main, platform::StyleField::Style, style() | platform::kStyleVisible);
  EXPECT_TRUE(widget->isVisible());
  EXPECT_TRUE(onTop());

  widget->close();  // the desktop's close request
  EXPECT_FALSE(platform::IsWindow(main));
  EXPECT_EQ(presenter_.WidgetOf(main), nullptr);
}

}  // namespace
}  // namespace desktoptest
