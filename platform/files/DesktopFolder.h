#pragma once

#include <string>

namespace platform {

// The user's desktop folder on disk: the XDG desktop folder when it exists, else ~/Desktop,
// else the home folder. Never empty.
std::string DesktopFolder();

}  // namespace platform
