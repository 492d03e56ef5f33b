#include "platform/desktop/PresentedWindow.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <optional>

#include "platform/desktop/DroppedFiles.h"
#include "platform/window/MessagePoint.h"

namespace platform {
namespace {

LParam ClientPoint(const QMouseEvent& event) {
  const QPoint at = event.position().toPoint();
  return PackPoint({at.x(), at.y()});
}

}  // namespace

PresentedWindow::PresentedWindow(Owner& owner, WindowHandle window)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), owner_(owner), window_(window) {
  // Before the native window is made: translucency decides its visual.
  setAttribute(Qt::WA_TranslucentBackground);
  // The native window now, so that the topmost flag can go on it without hiding the widget.
  winId();
}

void PresentedWindow::FollowTable() {
  const std::optional<Rect> rect = GetWindowRect(window_);
  if (!rect) return;
  if (const QRect wanted(rect->left, rect->top, rect->Width(), rect->Height());
      geometry() != wanted) {
    setGeometry(wanted);
  }
  if (const QString title = QString::fromUtf8(GetWindowText(window_)); windowTitle() != title) {
    setWindowTitle(title);
  }
  const bool acceptsFiles =
      (GetWindowStyle(window_, StyleField::ExStyle) & kExStyleAcceptFiles) != 0;
  if (acceptDrops() != acceptsFiles) setAcceptDrops(acceptsFiles);
  if (QWindow* handle = windowHandle()) {
    const bool topmost = IsWindowTopmost(window_);
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != topmost) {
      handle->setFlag(Qt::WindowStaysOnTopHint, topmost);
    }
  }
  FollowVisibility(GetWindowStyle(window_, StyleField::Style));
}

void PresentedWindow::FollowVisibility(std::uint32_t style) {
  if ((style & kStyleVisible) == 0) {
    if (isVisible()) hide();
  } else if ((style & kStyleMinimized) != 0) {
    if (!isMinimized()) showMinimized();
  } else if (isMinimized()) {
    showNormal();
  } else if (!isVisible()) {
    show();
  }
}

void PresentedWindow::BeginMove() {
  moved_ = true;
  // Without a window manager (or on a platform that cannot) the window follows the pointer here.
  QWindow* handle = windowHandle();
  movingByHand_ = handle == nullptr || !handle->startSystemMove();
}

void PresentedWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The picture's alpha is the window's: nothing beneath it is blended in.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, picture_);
}

void PresentedWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  const std::optional<Rect> rect = GetWindowRect(window_);
  const QPoint at = geometry().topLeft();
  // Only a move the table does not know of yet, so that following the table writes nothing back.
  if (rect && (rect->left != at.x() || rect->top != at.y())) {
    SetWindowPosition(window_, at.x(), at.y(), 0, 0, kPositionNoSize | kPositionNoRedraw);
  }
}

void PresentedWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !IsWindow(window_)) return;
  // The user minimised or restored the window through the desktop.
  const std::uint32_t style = GetWindowStyle(window_, StyleField::Style);
  if (((style & kStyleMinimized) != 0) != isMinimized()) {
    SetWindowStyle(window_, StyleField::Style,
                   isMinimized() ? style | kStyleMinimized : style & ~kStyleMinimized);
  }
}

void PresentedWindow::closeEvent(QCloseEvent* event) {
  // The presenter takes the widget away when the table window goes.
  event->ignore();
  owner_.RequestClose(window_);
}

void PresentedWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  moved_ = false;
  movingByHand_ = false;
  pressGlobal_ = event->globalPosition().toPoint();
  pressOrigin_ = pos();
  owner_.Dispatch(window_, kMessageLeftButtonDown, 0, ClientPoint(*event));
}

void PresentedWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!movingByHand_ || !event->buttons().testFlag(Qt::LeftButton)) {
    return QWidget::mouseMoveEvent(event);
  }
  move(pressOrigin_ + event->globalPosition().toPoint() - pressGlobal_);
}

void PresentedWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  movingByHand_ = false;
  // The end of a move is no click.
  if (std::exchange(moved_, false)) return;
  owner_.Dispatch(window_, kMessageLeftButtonUp, 0, ClientPoint(*event));
}

bool PresentedWindow::TakesDrag(const QDropEvent& event) const {
  // Copy only: a source told "moved" may delete the user's photos.
  return owner_.TakesDrops() && event.possibleActions().testFlag(Qt::CopyAction) &&
         event.mimeData() != nullptr && HasLocalFile(event.mimeData()->urls());
}

void PresentedWindow::dragEnterEvent(QDragEnterEvent* event) {
  dragMoveEvent(event);
}

void PresentedWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!TakesDrag(*event)) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void PresentedWindow::dropEvent(QDropEvent* event) {
  if (!TakesDrag(*event)) return event->ignore();
  std::string text = GotFileText(event->mimeData()->urls());
  event->setDropAction(Qt::CopyAction);
  event->accept();
  owner_.QueueDrop(window_, std::move(text));
}

}  // namespace platform
