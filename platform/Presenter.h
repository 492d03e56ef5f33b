#pragma once

#include "platform/Picture.h"
#include "platform/WindowTable.h"

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
};

// The presenter the table talks to, or none.
Presenter* CurrentPresenter();

// Puts a presenter in charge for its own lifetime and gives the previous one back afterwards.
class PresenterBinding {
 public:
  explicit PresenterBinding(Presenter& presenter);
  ~PresenterBinding();
  PresenterBinding(const PresenterBinding&) = delete;
  PresenterBinding& operator=(const PresenterBinding&) = delete;

 private:
  Presenter* previous_;
};

}  // namespace platform
