#include "platform/desktop/DesktopPresenter.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/desktop/WindowSystemFlush.h"

namespace platform {
namespace {

// Null for a picture whose pixels do not match its size.
QImage ToImage(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() / static_cast<std::size_t>(picture.width) !=
          static_cast<std::size_t>(picture.height) ||
      picture.pixels.size() % static_cast<std::size_t>(picture.width) != 0) {
    return {};
  }
  // Picture's 0xAARRGGBB words are QImage's ARGB32 pixels.
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  if (image.isNull()) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(image.scanLine(y), &picture.pixels[static_cast<std::size_t>(y) * picture.width],
                rowBytes);
  }
  return image;
}

}  // namespace

DesktopPresenter::DesktopPresenter() : queue_(std::make_unique<QObject>()) {
  // The table decides when the program ends. Left on, Qt would end every running loop, the
  // main one included, when the last visible window closes (a folder dialog, say).
  QGuiApplication::setQuitOnLastWindowClosed(false);
}

DesktopPresenter::~DesktopPresenter() {
  for (const QPointer<QWidget>& widget : leaving_) delete widget.data();
}

void DesktopPresenter::Present(WindowHandle window, const Picture& picture) {
  if (!IsWindow(window) || GetParent(window) != 0) return;
  QImage image = ToImage(picture);
  if (image.isNull()) return;
  std::unique_ptr<PresentedWindow>& slot = windows_[window];
  if (!slot) slot = std::make_unique<PresentedWindow>(static_cast<Owner&>(*this), window);
  // Lives on even if following the table destroys the window.
  PresentedWindow* shown = slot.get();
  shown->SetPicture(std::move(image));
  shown->FollowTable();
  if (!shown->isVisible()) return;
  shown->repaint();
  FlushWindowSystem();
}

void DesktopPresenter::WindowChanged(WindowHandle window) {
  if (const auto found = windows_.find(window); found != windows_.end() && IsWindow(window)) {
    found->second->FollowTable();
  }
}

void DesktopPresenter::WindowDestroyed(WindowHandle window) {
  if (const auto found = windows_.find(window); found != windows_.end()) {
    // The destroying event may be one of this widget's own: it goes once that has returned.
    PresentedWindow* widget = found->second.release();
    windows_.erase(found);
    widget->hide();
    widget->deleteLater();
    std::erase_if(leaving_, [](const QPointer<QWidget>& gone) { return gone.isNull(); });
    leaving_.emplace_back(widget);
  }
  EndFinishedLoops();
}

void DesktopPresenter::BeginSystemMove(WindowHandle window) {
  if (const auto found = windows_.find(window); found != windows_.end()) {
    found->second->BeginMove();
  }
}

void DesktopPresenter::RunUntil(const std::function<bool()>& done) {
  if (done()) return;
  QEventLoop loop;
  loops_.push_back({&loop, &done});
  loop.exec();
  loops_.pop_back();
}

void DesktopPresenter::LetHousekeepingThrough() {
  ++housekeeping_;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  --housekeeping_;
  // Runs in the next housekeeping too, where it finds the work still going and waits again.
  if (housekeeping_ == 0 && !closeRequests_.empty() && !honorPosted_) {
    honorPosted_ = true;
    QTimer::singleShot(0, queue_.get(), [this] { HonorCloseRequests(); });
  }
}

QWidget* DesktopPresenter::WidgetOf(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.get();
}

void DesktopPresenter::Dispatch(WindowHandle window, Message message, WParam wParam,
                                LParam lParam) {
  SendMessage(window, message, wParam, lParam);
  EndFinishedLoops();
}

bool DesktopPresenter::TakesDrops() const {
  // The drag protocol's messages are no user input to Qt: housekeeping must refuse them here.
  return !dropPending_ && housekeeping_ == 0;
}

void DesktopPresenter::RequestClose(WindowHandle window) {
  if (housekeeping_ == 0) {
    DestroyWindow(window);
  } else if (std::ranges::find(closeRequests_, window) == closeRequests_.end()) {
    closeRequests_.push_back(window);
  }
}

void DesktopPresenter::HonorCloseRequests() {
  honorPosted_ = false;
  if (housekeeping_ > 0) return;
  for (const WindowHandle window : std::exchange(closeRequests_, {})) DestroyWindow(window);
}

void DesktopPresenter::QueueDrop(WindowHandle window, std::string text) {
  dropPending_ = true;
  // Runs after the drop event has returned, so the dragging application hears that the drop
  // is finished before the files are worked on.
  QTimer::singleShot(0, queue_.get(), [this, window, text = std::move(text)]() mutable {
    FlushWindowSystem();
    Dispatch(window, kMessageFilesDropped, 0, reinterpret_cast<LParam>(&text));
    dropPending_ = false;
  });
}

void DesktopPresenter::EndFinishedLoops() {
  for (const Loop& running : loops_) {
    if ((*running.done)()) running.loop->quit();
  }
}

}  // namespace platform
