#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/PresentedWindow.h"
#include "platform/window/Presenter.h"

class QEventLoop;

namespace platform {

// Shows every top-level window of the table that has presented a picture as a desktop window of
// its own (see PresentedWindow), and runs Qt's event loop for the table. Needs the QApplication
// for its whole life.
class DesktopPresenter final : public Presenter, private PresentedWindow::Owner {
 public:
  DesktopPresenter();
  ~DesktopPresenter() override;
  DesktopPresenter(const DesktopPresenter&) = delete;
  DesktopPresenter& operator=(const DesktopPresenter&) = delete;

  // Paints the picture on screen before it returns.
  void Present(WindowHandle window, const Picture& picture) override;
  void WindowChanged(WindowHandle window) override;
  void WindowDestroyed(WindowHandle window) override;
  void BeginSystemMove(WindowHandle window) override;
  void RunUntil(const std::function<bool()>& done) override;
  // Refuses drags meanwhile; input events and close requests wait for the event loop.
  void LetHousekeepingThrough() override;

  // The desktop window of a table window; null before its first picture and after it is gone.
  QWidget* WidgetOf(WindowHandle window) const;

 private:
  struct Loop {
    QEventLoop* loop;
    const std::function<bool()>* done;
  };

  void Dispatch(WindowHandle window, Message message, WParam wParam, LParam lParam) override;
  bool TakesDrops() const override;
  void RequestClose(WindowHandle window) override;
  void QueueDrop(WindowHandle window, std::string text) override;
  // Ends every running loop whose condition holds now.
  void EndFinishedLoops();
  // Destroys the windows whose close waited for housekeeping to end.
  void HonorCloseRequests();

  std::map<WindowHandle, std::unique_ptr<PresentedWindow>> windows_;
  // Widgets of destroyed windows, deleted once the event that destroyed them has returned.
  std::vector<QPointer<QWidget>> leaving_;
  // The innermost loop last.
  std::vector<Loop> loops_;
  // Owns queued drop deliveries, so that none outlives the presenter.
  std::unique_ptr<QObject> queue_;
  // Asked during housekeeping: input waits until the long work is over, and so do these.
  std::vector<WindowHandle> closeRequests_;
  bool honorPosted_ = false;
  bool dropPending_ = false;
  int housekeeping_ = 0;
};

}  // namespace platform
