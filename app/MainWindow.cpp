#include "app/MainWindow.h"

#include "app/DropHandling.h"
#include "app/Globals.h"
#include "app/HelpWindow.h"
#include "resources/Pictures.h"

namespace app {
namespace {

constexpr const char* kDropTargetName = "DropTarget";

platform::WindowHandle MainWindow() {
  return platform::GetLoadedWindow(kMainWindowName);
}

}  // namespace

platform::WindowDefinition MainWindowDefinition() {
  return {.name = kMainWindowName,
          .rect = {50, 50, 450, 150},
          .caption = "",
          .alwaysOnTop = true,
          .dragAnywhere = true,
          .onCreated = OnMainWindowCreated,
          .labels = {{"HelpLabel", "帮助", {0, 0, 80, 20}, OnHelpClicked},
                     {"MinimizeLabel", "最小化", {348, 0, 366, 20}, OnMinimizeClicked},
                     {"CloseLabel", "关闭", {370, 0, 388, 20}, OnCloseClicked}},
          .dropTargets = {{kDropTargetName, "拖放对象", {136, 32, 166, 62}, OnFilesDropped}}};
}

void OnMainWindowCreated() {
  const platform::WindowHandle window = MainWindow();
  MainSkin->Attach(window);
  MainSkin->SetImageFromBytes(resources::SkinPicture());
  StatusPicture->Create(MainSkin->GetHandle(), 0, 0, 400, 100);
  StatusPicture->SetImageFromBytes(resources::DragHintPicture());
  MainSkin->Refresh();
  platform::RegisterDropTarget(window, kDropTargetName, MainSkin->GetHandle());
}

void OnHelpClicked() {
  platform::LoadModalWindow(HelpWindowDefinition());
}

void OnMinimizeClicked() {
  platform::MinimizeWindow(MainWindow());
}

void OnCloseClicked() {
  platform::DestroyWindow(MainWindow());
}

}  // namespace app
