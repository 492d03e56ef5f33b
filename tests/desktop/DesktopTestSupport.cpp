#include "DesktopTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <memory>

namespace desktoptest {
namespace {

// One application object for the whole run, on Qt's offscreen platform.
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[13] = "desktop_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const QDeadlineTimer deadline(limit);
  // Wakes the wait below now and then, so the deadline is looked at even when nothing happens.
  QTimer tick;
  tick.start(10);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void TurnEventLoop() {
  bool turned = false;
  QTimer::singleShot(0, [&turned] { turned = true; });
  EXPECT_TRUE(WaitUntil([&turned] { return turned; }));
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

void SendDragMove(QWidget& widget, QPoint screen) {
  QMouseEvent event(QEvent::MouseMove, widget.mapFromGlobal(screen), screen, Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

DragResult SendDrag(QWidget& widget, QEvent::Type type, const QList<QUrl>& urls,
                    Qt::DropActions offered, Qt::DropAction proposed) {
  QMimeData data;
  data.setUrls(urls);
  const QPointF at(widget.width() / 2, widget.height() / 2);
  std::unique_ptr<QDropEvent> event;
  if (type == QEvent::DragEnter) {
    event = std::make_unique<QDragEnterEvent>(at.toPoint(), offered, &data, Qt::LeftButton,
                                              Qt::NoModifier);
  } else {
    event = std::make_unique<QDropEvent>(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
  }
  event->setDropAction(proposed);
  QCoreApplication::sendEvent(&widget, event.get());
  return {event->isAccepted(), event->dropAction()};
}

}  // namespace desktoptest
