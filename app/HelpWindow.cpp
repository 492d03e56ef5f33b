#include "app/HelpWindow.h"

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "resources/Pictures.h"

namespace app {

platform::WindowDefinition HelpWindowDefinition() {
  return {.name = kHelpWindowName,
          .rect = {50, 50, 511, 150},
          .caption = "",
          .alwaysOnTop = false,
          .dragAnywhere = false,
          .onCreated = OnHelpWindowCreated,
          .labels = {{"HelpOkLabel", "提示确定", {190, 50, 240, 90}, OnHelpOkClicked}},
          .dropTargets = {}};
}

void OnHelpWindowCreated() {
  HelpSkin->Attach(platform::GetLoadedWindow(kHelpWindowName));
  HelpSkin->SetImageFromBytes(resources::HelpPicture());
  // Off, so that the help window can show above MainWindow.
  platform::SetAlwaysOnTop(platform::GetLoadedWindow(kMainWindowName), false);
}

void OnHelpOkClicked() {
  platform::SetAlwaysOnTop(platform::GetLoadedWindow(kMainWindowName), true);
  platform::DestroyWindow(platform::GetLoadedWindow(kHelpWindowName));
}

}  // namespace app
