#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/window/FolderBrowser.h"
#include "platform/window/HeadlessPresenter.h"
#include "platform/window/WindowTable.h"
#include "tests/support/ScopedTempDir.h"

namespace apptest {

// A folder browser that answers as a script says and notes what it was asked.
class ScriptedFolderBrowser : public platform::FolderBrowser {
 public:
  struct Asked {
    std::string title;
    std::string initialSelection;
    bool mainWindowOnTop;
  };

  std::string Browse(const platform::FolderBrowseRequest& request) override;

  std::string answer;
  // Runs while the browser is open, as a user would act then.
  std::function<void()> whileOpen;
  std::vector<Asked> asked;
};

// Which status picture each composition of MainWindow showed, and when.
struct StatusShown {
  std::string picture;
  std::chrono::steady_clock::time_point time;
};

class RecordingPresenter : public platform::HeadlessPresenter {
 public:
  void Present(platform::WindowHandle window, const platform::Picture& picture) override;
  std::vector<StatusShown> statuses;
};

// The application started headless, with the real engine: MainWindow is up, the folder browser
// is scripted and HOME is a fresh folder with a Desktop in it. Ends the application afterwards.
class AppTest : public ::testing::Test {
 protected:
  AppTest();
  ~AppTest() override;

  // Drops the text on MainWindow, as the desktop would after the drop has finished.
  void Drop(const std::string& text);
  // A copy of a sample picture at the path.
  static void CopySample(const std::string& sample, const std::filesystem::path& to);
  // Names of the files directly in the folder, sorted.
  static std::vector<std::string> FilesIn(const std::filesystem::path& folder);
  std::vector<std::string> StatusNames() const;

  dropshrink::testing::ScopedTempDir home_;
  std::string oldHome_;
  RecordingPresenter presenter_;
  platform::PresenterBinding presenterBinding_{presenter_};
  ScriptedFolderBrowser browser_;
  platform::FolderBrowserBinding browserBinding_{browser_};
  platform::WindowHandle main_ = 0;
};

}  // namespace apptest
