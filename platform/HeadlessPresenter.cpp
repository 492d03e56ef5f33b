#include "platform/HeadlessPresenter.h"

namespace platform {
namespace {

LParam PackPoint(Point point) {
  return static_cast<LParam>((static_cast<std::uint32_t>(point.y) & 0xFFFF) << 16 |
                             (static_cast<std::uint32_t>(point.x) & 0xFFFF));
}

}  // namespace

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

void HeadlessPresenter::Click(WindowHandle window, Point point) {
  SendMessage(window, kMessageLeftButtonDown, 0, PackPoint(point));
  SendMessage(window, kMessageLeftButtonUp, 0, PackPoint(point));
}

}  // namespace platform
