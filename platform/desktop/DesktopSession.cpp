#include "platform/desktop/DesktopSession.h"

#include <QApplication>

#include "platform/desktop/DesktopFolderBrowser.h"
#include "platform/desktop/DesktopPresenter.h"

namespace platform {

// Made in this order and taken apart in the reverse one: the bindings go first, the application
// object last.
struct DesktopSession::Parts {
  Parts(int& argc, char** argv) : application(argc, argv) {
    // Before the first window: Wayland names the program's windows after the desktop file.
    QCoreApplication::setApplicationName(QStringLiteral("dropshrink"));
    QGuiApplication::setDesktopFileName(QStringLiteral("dropshrink"));
  }

  QApplication application;
  DesktopPresenter presenter;
  DesktopFolderBrowser browser;
  PresenterBinding presenterBinding{presenter};
  FolderBrowserBinding browserBinding{browser};
};

DesktopSession::DesktopSession(int& argc, char** argv)
    : parts_(std::make_unique<Parts>(argc, argv)) {}

DesktopSession::~DesktopSession() = default;

}  // namespace platform
