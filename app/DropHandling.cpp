#include "app/DropHandling.h"

#include <chrono>
#include <vector>

#include "app/FolderWalk.h"
#include "app/Globals.h"
#include "app/OutputPath.h"
#include "app/SupportedImage.h"
#include "engine/ConversionCommand.h"
#include "platform/files/DesktopFolder.h"
#include "platform/files/Files.h"
#include "platform/window/FolderBrowser.h"
#include "platform/window/WindowHost.h"
#include "resources/Pictures.h"

namespace app {
namespace {

constexpr std::string_view kItemSeparator = "\r\n";
constexpr std::chrono::milliseconds kDoneShownFor{1500};

void SetMainWindowOnTop(bool on) {
  platform::SetAlwaysOnTop(MainSkin->GetHandle(), on);
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Several items: a piece after the last separator counts only when it is not empty.
std::vector<std::string> SplitItems(std::string_view dropped) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t at = dropped.find(kItemSeparator); at != std::string_view::npos;
       at = dropped.find(kItemSeparator, start)) {
    items.emplace_back(dropped.substr(start, at - start));
    start = at + kItemSeparator.size();
  }
  if (start < dropped.size()) items.emplace_back(dropped.substr(start));
  return items;
}

}  // namespace

void OnFilesDropped(std::string& dropped) {
  SetMainWindowOnTop(false);
  std::string desktop = platform::DesktopFolder();
  if (desktop.back() != platform::kPathSeparator) desktop += platform::kPathSeparator;
  OutputFolder = BrowseForFolder(desktop, "另存至", false, true);
  SetMainWindowOnTop(true);
  // Cancelling the browser ends the drop: there is nowhere to write to.
  if (OutputFolder.empty()) return;
  if (OutputFolder.back() != platform::kPathSeparator) OutputFolder += platform::kPathSeparator;

  ShowStatus(resources::LoadingPicture());
  if (dropped.find(kItemSeparator) == std::string::npos) {
    // One item: a file is converted and a folder walked; each test finds nothing in the other.
    ProcessFile(dropped);
    ConvertFolder(dropped);
  } else {
    for (const std::string& item : SplitItems(dropped)) ProcessFile(item);
  }
  // The window sits idle until the next drop; it keeps nothing from this one.
  dropshrink::ReleaseReusableMemory();
  ShowStatus(resources::DonePicture());
  platform::Sleep(kDoneShownFor);
  ShowStatus(resources::DragHintPicture());
}

std::string BrowseForFolder(std::string_view startFolder, std::string_view title, bool includeFiles,
                            bool editBox) {
  BrowseStartFolder = startFolder;
  const std::string chosen = platform::BrowseForFolder({.title = std::string(title),
                                                        .includeFiles = includeFiles,
                                                        .editBox = editBox,
                                                        .initialSelection = BrowseCallback});
  return std::string(TrimBlanks(chosen));
}

std::string BrowseCallback() {
  return BrowseStartFolder;
}

void ProcessFile(const std::string& path) {
  if (!IsSupportedImage(path)) return;
  // Every result is left alone: the batch goes on with the next picture.
  dropshrink::ConvertToJpegWithReason(path.c_str(), MakeOutputPath(path).c_str(),
                                      dropshrink::kApplicationSettings);
  // A batch of hundreds of photos must not look hung to the desktop.
  platform::LetHousekeepingThrough();
}

std::string MakeOutputPath(std::string_view path) {
  return app::MakeOutputPath(OutputFolder, path);
}

void ConvertFolder(std::string_view folder) {
  for (const std::string& path : FolderFiles(folder)) ProcessFile(path);
}

void ShowStatus(std::span<const std::uint8_t> picture) {
  StatusPicture->SetImageFromBytes(picture);
  MainSkin->Refresh();
}

}  // namespace app
