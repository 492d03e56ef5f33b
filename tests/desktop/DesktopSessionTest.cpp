#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include "platform/desktop/DesktopFolderBrowser.h"
#include "platform/desktop/DesktopPresenter.h"
#include "platform/desktop/DesktopSession.h"
#include "platform/window/FolderBrowser.h"
#include "platform/window/Presenter.h"

namespace {

TEST(DesktopSessionTest, BindsTheDesktopServicesForItsLifetimeOnly) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "dropshrink";
  char* argv[] = {name, nullptr};
  {
    const platform::DesktopSession session(argc, argv);
    EXPECT_NE(dynamic_cast<platform::DesktopPresenter*>(platform::CurrentPresenter()), nullptr);
    EXPECT_NE(
        dynamic_cast<platform::DesktopFolderBrowser*>(platform::FolderBrowserBinding::Current()),
        nullptr);
    EXPECT_EQ(QCoreApplication::applicationName(), "dropshrink");
    EXPECT_EQ(QGuiApplication::desktopFileName(), "dropshrink");
  }
  EXPECT_EQ(platform::CurrentPresenter(), nullptr);
  EXPECT_EQ(platform::FolderBrowserBinding::Current(), nullptr);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

}  // namespace
