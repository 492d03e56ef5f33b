#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DesktopTestSupport.h"
#include "platform/desktop/DesktopFolderBrowser.h"
#include "tests/support/ScopedTempDir.h"

namespace desktoptest {
namespace {

// Acts on the folder dialog once it is up; closes every dialog when none comes in time.
class WhenTheDialogIsUp {
 public:
  explicit WhenTheDialogIsUp(std::function<void(QFileDialog&)> act) : act_(std::move(act)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(10);
  }
  bool Acted() const { return acted_; }

 private:
  void Poll() {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      poll_.stop();
      acted_ = true;
      act_(*dialog);
    } else if (deadline_.hasExpired()) {
      poll_.stop();
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget)) dialog->reject();
      }
    }
  }

  std::function<void(QFileDialog&)> act_;
  QTimer poll_;
  QDeadlineTimer deadline_{std::chrono::seconds(10)};
  bool acted_ = false;
};

std::string Folder(const QFileDialog& dialog) {
  return dialog.directory().absolutePath().toStdString();
}

// Sets an environment variable while it lives.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value)
      : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
    qputenv(name, QByteArray::fromStdString(value));
  }
  ~ScopedVariable() {
    if (wasSet_) {
      qputenv(name_, saved_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool wasSet_;
  QByteArray saved_;
};

class DesktopFolderBrowserTest : public ::testing::Test {
 protected:
  platform::DesktopFolderBrowser browser_;
  dropshrink::testing::ScopedTempDir temp_;
};

TEST_F(DesktopFolderBrowserTest, OpensModalWithTitleAndFolderAndCancelGivesNothing) {
  const std::string start = temp_.Path().string() + "/";
  std::string title;
  std::string folder;
  bool modal = false;
  bool foldersOnly = false;
  const WhenTheDialogIsUp dialog([&](QFileDialog& up) {
    title = up.windowTitle().toStdString();
    folder = Folder(up);
    modal = up.windowModality() == Qt::ApplicationModal;
    foldersOnly = up.fileMode() == QFileDialog::Directory;
    up.reject();
  });
  const std::string chosen =
      browser_.Browse({.title = "另存至", .initialSelection = [&] { return start; }});
  ASSERT_TRUE(dialog.Acted());
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(title, "另存至");
  EXPECT_EQ(folder, temp_.Path().string());
  EXPECT_TRUE(modal);
  EXPECT_TRUE(foldersOnly);
}

TEST_F(DesktopFolderBrowserTest, WithoutAStartFolderItOpensAtTheDesktopFolder) {
  const std::string home = temp_.Path().string();
  std::filesystem::create_directory(home + "/Desktop");
  const ScopedVariable homeVariable("HOME", home);
  const ScopedVariable configVariable("XDG_CONFIG_HOME", home + "/config");
  std::string folder;
  const WhenTheDialogIsUp dialog([&](QFileDialog& up) {
    folder = Folder(up);
    up.reject();
  });
  browser_.Browse({.title = "另存至", .initialSelection = {}});
  ASSERT_TRUE(dialog.Acted());
  EXPECT_EQ(folder, home + "/Desktop");
}

TEST_F(DesktopFolderBrowserTest, APathTypedAndReturnChooseThatFolder) {
  for (const std::string name : {"out", "with space", "照片 -x"}) {
    const std::string path = temp_.File(name);
    std::filesystem::create_directory(path);
    const WhenTheDialogIsUp dialog([&](QFileDialog& up) {
      auto* field = up.findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(field, nullptr);
      field->setText(QString::fromStdString(path));
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QCoreApplication::sendEvent(field, &press);
      if (up.isVisible()) up.reject();
    });
    const std::string chosen = browser_.Browse(
        {.title = "另存至", .initialSelection = [&] { return temp_.Path().string(); }});
    ASSERT_TRUE(dialog.Acted());
    EXPECT_EQ(chosen, path) << name;
  }
}

}  // namespace
}  // namespace desktoptest
