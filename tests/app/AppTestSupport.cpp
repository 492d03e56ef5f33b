#include "AppTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/Application.h"
#include "app/Globals.h"
#include "platform/window/Imaging.h"
#include "platform/window/WindowHost.h"
#include "resources/Pictures.h"
#include "skin/ImageLoading.h"

namespace apptest {
namespace {

// The pixels of each status picture, to tell from a status image which one it is.
const std::map<std::string, std::vector<std::uint32_t>>& StatusPixels() {
  static const auto pixels = [] {
    std::map<std::string, std::vector<std::uint32_t>> named;
    const std::pair<const char*, std::span<const std::uint8_t>> pictures[] = {
        {"DragHint", resources::DragHintPicture()},
        {"Loading", resources::LoadingPicture()},
        {"Done", resources::DonePicture()}};
    for (const auto& [name, bytes] : pictures) {
      const platform::ImageHandle image = skin::LoadImageFromBytes(bytes);
      named[name] = platform::ReadPicture(image).value_or(platform::Picture{}).pixels;
      platform::DisposeImage(image);
    }
    return named;
  }();
  return pixels;
}

}  // namespace

std::string ScriptedFolderBrowser::Browse(const platform::FolderBrowseRequest& request) {
  asked.push_back({request.title, request.initialSelection ? request.initialSelection() : "",
                   platform::IsWindowTopmost(platform::GetLoadedWindow("MainWindow"))});
  if (whileOpen) whileOpen();
  return answer;
}

void RecordingPresenter::Present(platform::WindowHandle window, const platform::Picture& picture) {
  HeadlessPresenter::Present(window, picture);
  if (!app::StatusPicture || platform::GetParent(app::StatusPicture->GetHandle()) != window) return;
  const auto image = app::StatusPicture->GetProperty("PngControl_BackImage");
  const auto pixels = platform::ReadPicture(image).value_or(platform::Picture{}).pixels;
  std::string name = "other";
  for (const auto& [known, knownPixels] : StatusPixels()) {
    if (knownPixels == pixels) name = known;
  }
  statuses.push_back({name, std::chrono::steady_clock::now()});
}

AppTest::AppTest() {
  if (const char* home = std::getenv("HOME")) oldHome_ = home;
  std::filesystem::create_directory(home_.Path() / "Desktop");
  setenv("HOME", home_.Path().c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  main_ = app::StartApplication();
}

AppTest::~AppTest() {
  platform::DestroyWindow(platform::GetLoadedWindow("HelpWindow"));
  platform::DestroyWindow(main_);
  // With MainWindow gone the loop ends at once and the exit routine runs.
  platform::RunMessageLoop();
  setenv("HOME", oldHome_.c_str(), 1);
}

void AppTest::Drop(const std::string& text) {
  presenter_.Drop(main_, text);
}

void AppTest::CopySample(const std::string& sample, const std::filesystem::path& to) {
  std::filesystem::copy_file(std::filesystem::path(DROPSHRINK_SAMPLES) / sample, to);
}

std::vector<std::string> AppTest::FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

std::vector<std::string> AppTest::StatusNames() const {
  std::vector<std::string> names;
  for (const StatusShown& shown : presenter_.statuses) names.push_back(shown.picture);
  return names;
}

}  // namespace apptest
