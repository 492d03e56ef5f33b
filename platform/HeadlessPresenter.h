#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/Presenter.h"

namespace platform {

struct Presentation {
  WindowHandle window;
  // Counts every presentation of this presenter, from 1.
  std::uint64_t sequence;
  std::chrono::steady_clock::time_point time;
  Size size;
};

// Shows nothing: keeps each window's last picture and the record of every presentation, so that
// tests can read every pixel that would be on screen, and raises the user's clicks.
class HeadlessPresenter : public Presenter {
 public:
  void Present(WindowHandle window, const Picture& picture) override;
  void WindowChanged(WindowHandle) override {}
  void WindowDestroyed(WindowHandle window) override;
  void BeginSystemMove(WindowHandle window) override;

  // Null when the window has shown nothing since it was made, or is gone.
  const Picture* LastPicture(WindowHandle window) const;
  const std::vector<Presentation>& Presentations() const { return presentations_; }
  const std::vector<WindowHandle>& SystemMoves() const { return systemMoves_; }

  // A left press and release at a point of the window's client area.
  void Click(WindowHandle window, Point point);

 private:
  std::map<WindowHandle, Picture> pictures_;
  std::vector<Presentation> presentations_;
  std::vector<WindowHandle> systemMoves_;
};

}  // namespace platform
