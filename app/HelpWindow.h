#pragma once

#include "platform/window/WindowHost.h"

namespace app {

inline constexpr const char* kHelpWindowName = "HelpWindow";

// The usage picture with its OK area, loaded anew, modally, at every click on Help.
platform::WindowDefinition HelpWindowDefinition();

void OnHelpWindowCreated();
void OnHelpOkClicked();

}  // namespace app
