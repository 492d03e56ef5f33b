#pragma once

#include <QEvent>
#include <QList>
#include <QPoint>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <functional>

namespace desktoptest {

// Runs Qt's events until the condition holds; false when the deadline passed first.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));
// Runs the events queued now, posted ones included, and the ones they post in turn.
void TurnEventLoop();

// A left-button event at a point of the widget, as the desktop would deliver it.
void SendMouse(QWidget& widget, QEvent::Type type, QPoint at);
// A left-button move to a point of the screen, the button held.
void SendDragMove(QWidget& widget, QPoint screen);

struct DragResult {
  bool accepted;
  Qt::DropAction action;
};
// A drag entering or dropping on the widget, of URLs whose source offers these actions and
// proposes the first of them.
DragResult SendDrag(QWidget& widget, QEvent::Type type, const QList<QUrl>& urls,
                    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                    Qt::DropAction proposed = Qt::MoveAction);

}  // namespace desktoptest
