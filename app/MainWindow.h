#pragma once

#include "platform/window/WindowHost.h"

namespace app {

inline constexpr const char* kMainWindowName = "MainWindow";

// The small window files are dropped on: 400 x 100 at (50, 50), always on top, moved by a press
// anywhere outside its labels.
platform::WindowDefinition MainWindowDefinition();

void OnMainWindowCreated();
void OnHelpClicked();
void OnMinimizeClicked();
void OnCloseClicked();

}  // namespace app
