// x11_drag_source X Y PATH...: a small window at (X, Y) that starts a copy drag of the
// paths' file URLs on a left press, as a file manager does. It reports on standard output
// what the driver waits for: "pressed", every change of the target's answer ("action N",
// N a Qt::DropAction), and "ended N" when the drag is over.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <utility>

namespace {

void Report(const char* what, int value = -1) {
  if (value < 0) {
    std::printf("%s\n", what);
  } else {
    std::printf("%s %d\n", what, value);
  }
  std::fflush(stdout);
}

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {}

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(40, 120, 60)); }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    Report("pressed");
    auto* data = new QMimeData;
    data->setUrls(urls_);
    // On the heap: the target asks for the data after exec() has returned, and Qt deletes
    // the drag once the target says it has finished.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    connect(drag, &QDrag::actionChanged,
            [](Qt::DropAction action) { Report("action", static_cast<int>(action)); });
    Report("ended", static_cast<int>(drag->exec(Qt::CopyAction)));
  }

 private:
  QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  if (arguments.size() < 4) {
    std::fprintf(stderr, "usage: x11_drag_source X Y PATH...\n");
    return 2;
  }
  QList<QUrl> urls;
  for (const QString& path : arguments.mid(3)) urls.append(QUrl::fromLocalFile(path));
  DragSource source(urls);
  source.setWindowTitle("drag source");
  source.setGeometry(arguments[1].toInt(), arguments[2].toInt(), 120, 80);
  source.show();
  return application.exec();
}
