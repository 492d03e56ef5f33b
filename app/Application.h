#pragma once

#include "platform/window/WindowTable.h"

namespace app {

// Creates MainSkin, StatusPicture and HelpSkin, all holding no window.
void CreateApplicationObjects();
// The exit routine: frees the application's objects and texts.
void ShutdownApplication();

// Start-up up to the message loop: the objects, the exit routine, the skin toolkit and
// MainWindow. The handle of MainWindow, 0 when it could not be made.
platform::WindowHandle StartApplication();
// Start-up, then the message loop until MainWindow is gone, then the exit routine.
int RunApplication();

}  // namespace app
