#include "platform/window/HeadlessPresenter.h"

#include "platform/window/MessagePoint.h"

namespace platform {

void HeadlessPresenter::Present(WindowHandle window, const Picture& picture) {
  pictures_.insert_or_assign(window, picture);
  presentations_.push_back({window,
                            presentations_.size() + 1,
                            std::chrono::steady_clock::now(),
                            {picture.width, picture.height}});
}

void HeadlessPresenter::WindowDestroyed(WindowHandle window) {
  pictures_.erase(window);
}

void HeadlessPresenter::BeginSystemMove(WindowHandle window) {
  systemMoves_.push_back(window);
}

const Picture* HeadlessPresenter::LastPicture(WindowHandle window) const {
  const auto found = pictures_.find(window);
  return found == pictures_.end() ? nullptr : &found->second;
}

void HeadlessPresenter::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (script_.empty()) {
      ++abandonedLoops_;
      return;
    }
    const std::function<void()> step = std::move(script_.front());
    script_.pop_front();
    step();
  }
}

void HeadlessPresenter::Click(WindowHandle window, Point point) {
  Press(window, point);
  Release(window, point);
}

void HeadlessPresenter::Press(WindowHandle window, Point point) {
  SendMessage(window, kMessageLeftButtonDown, 0, PackPoint(point));
}

void HeadlessPresenter::Release(WindowHandle window, Point point) {
  SendMessage(window, kMessageLeftButtonUp, 0, PackPoint(point));
}

void HeadlessPresenter::Drop(WindowHandle window, std::string text) {
  SendMessage(window, kMessageFilesDropped, 0, reinterpret_cast<LParam>(&text));
}

}  // namespace platform
