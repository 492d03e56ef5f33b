#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window/Presenter.h"

namespace platform {

struct Presentation {
  WindowHandle window;
  // Counts every presentation of this presenter, from 1.
  std::uint64_t sequence;
  std::chrono::steady_clock::time_point time;
  Size size;
};

// Shows nothing: keeps each window's last picture and the record of every presentation, so that
// tests can read every pixel that would be on screen, and raises the user's clicks and drops.
// Its event loop runs the steps a test scripted, as if the user did them.
class HeadlessPresenter : public Presenter {
 public:
  void Present(WindowHandle window, const Picture& picture) override;
  void WindowChanged(WindowHandle) override {}
  void WindowDestroyed(WindowHandle window) override;
  void BeginSystemMove(WindowHandle window) override;
  // Runs scripted steps until done() holds; when the script runs out first, the loop is
  // abandoned and counted, so that a test sees a loop nothing would have ended.
  void RunUntil(const std::function<bool()>& done) override;
  void LetHousekeepingThrough() override { ++housekeeping_; }

  // Null when the window has shown nothing since it was made, or is gone.
  const Picture* LastPicture(WindowHandle window) const;
  const std::vector<Presentation>& Presentations() const { return presentations_; }
  const std::vector<WindowHandle>& SystemMoves() const { return systemMoves_; }

  // A left press and release at a point of the window's client area.
  void Click(WindowHandle window, Point point);
  void Press(WindowHandle window, Point point);
  void Release(WindowHandle window, Point point);
  // Local files dropped on the window, as the got-file text.
  void Drop(WindowHandle window, std::string text);

  // A step for the next event loop to run.
  void Script(std::function<void()> step) { script_.push_back(std::move(step)); }
  int AbandonedLoops() const { return abandonedLoops_; }
  int Housekeeping() const { return housekeeping_; }

 private:
  std::map<WindowHandle, Picture> pictures_;
  std::vector<Presentation> presentations_;
  std::vector<WindowHandle> systemMoves_;
  std::deque<std::function<void()>> script_;
  int abandonedLoops_ = 0;
  int housekeeping_ = 0;
};

}  // namespace platform
