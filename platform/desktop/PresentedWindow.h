#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <string>

#include "platform/window/WindowTable.h"

namespace platform {

// The desktop window that shows one top-level window of the table: frameless and translucent,
// it paints the window's last picture, keeps the table in step when the user moves, minimises or
// restores it, and turns presses, releases, drops and close requests into the table's messages.
class PresentedWindow : public QWidget {
 public:
  // What a shown window needs from its presenter.
  class Owner {
   public:
    // Sends the message to the table window, then lets waiting event loops look again.
    virtual void Dispatch(WindowHandle window, Message message, WParam wParam, LParam lParam) = 0;
    virtual bool TakesDrops() const = 0;
    // The desktop asked to close the window.
    virtual void RequestClose(WindowHandle window) = 0;
    // Delivers the got-file text after the drop has returned to the dragging application.
    virtual void QueueDrop(WindowHandle window, std::string text) = 0;

   protected:
    ~Owner() = default;
  };

  PresentedWindow(Owner& owner, WindowHandle window);

  // Shown at the next paint.
  void SetPicture(QImage picture) { picture_ = std::move(picture); }
  // Takes the table's rectangle, text, styles and topmost flag.
  void FollowTable();
  // From the press that is being handled, the pointer moves the window.
  void BeginMove();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FollowVisibility(std::uint32_t style);
  bool TakesDrag(const QDropEvent& event) const;

  Owner& owner_;
  const WindowHandle window_;
  QImage picture_;
  // The press being handled, for a move the window system cannot make itself.
  QPoint pressGlobal_;
  QPoint pressOrigin_;
  // A move began since the last press: its release clicks nothing.
  bool moved_ = false;
  bool movingByHand_ = false;
};

}  // namespace platform
