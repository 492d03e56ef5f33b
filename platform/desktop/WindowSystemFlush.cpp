#include "platform/desktop/WindowSystemFlush.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace platform {

void FlushWindowSystem() {
  if (qGuiApp == nullptr) return;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // Qt's offscreen platform offers the interface too, with no connection behind it.
  xcb_connection_t* connection = x11 == nullptr ? nullptr : x11->connection();
  if (connection == nullptr) return;
  // A round trip rather than a flush: the reply comes after the server has handled every
  // request before it, the picture included.
  const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
      xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &std::free);
}

}  // namespace platform
