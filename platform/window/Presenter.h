#pragma once

#include <functional>

#include "platform/window/Picture.h"
#include "platform/window/ServiceBinding.h"
#include "platform/window/WindowTable.h"

namespace platform {

// Shows the table's windows: in memory for tests, on the desktop for the program. The table
// calls it; a presenter reaches back into the table only through the table's own functions.
class Presenter {
 public:
  virtual ~Presenter() = default;

  // A layered window's new appearance, the size of its window rectangle.
  virtual void Present(WindowHandle window, const Picture& picture) = 0;
  // The window's rectangle, styles or text changed.
  virtual void WindowChanged(WindowHandle window) = 0;
  virtual void WindowDestroyed(WindowHandle window) = 0;
  // The user pressed on the window's caption: from here the pointer moves the window.
  virtual void BeginSystemMove(WindowHandle window) = 0;
  // Runs the windowing system's events (the user's input among them) until done() holds, looking
  // again after every event. Calls nest: a modal window runs one inside the main loop.
  virtual void RunUntil(const std::function<bool()>& done) = 0;
  // Lets the windowing system's own housekeeping through (repaint, the desktop's liveness
  // ping) during long work, taking no user input and no drop.
  virtual void LetHousekeepingThrough() = 0;
};

using PresenterBinding = ServiceBinding<Presenter>;

// The presenter the table talks to, or none.
inline Presenter* CurrentPresenter() {
  return PresenterBinding::Current();
}

}  // namespace platform
