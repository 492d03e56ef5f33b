#include "app/Application.h"

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "platform/window/WindowHost.h"
#include "skin/SkinToolkit.h"

namespace app {

void CreateApplicationObjects() {
  MainSkin = std::make_unique<skin::SkinWindow>();
  StatusPicture = std::make_unique<skin::PngPictureBox>();
  HelpSkin = std::make_unique<skin::SkinWindow>();
}

void ShutdownApplication() {
  // The objects go; their windows, properties and pictures stay, as the toolkit leaves them.
  MainSkin.reset();
  StatusPicture.reset();
  OutputFolder.clear();
  BrowseStartFolder.clear();
  HelpSkin.reset();
}

platform::WindowHandle StartApplication() {
  CreateApplicationObjects();
  platform::SetExitRoutine(ShutdownApplication);
  skin::StartSkinToolkit();
  return platform::LoadStartupWindow(MainWindowDefinition());
}

int RunApplication() {
  StartApplication();
  platform::RunMessageLoop();
  return 0;
}

}  // namespace app
