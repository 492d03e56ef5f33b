#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The path of every file directly in the folder, subfolders left out, taken at once before any
// of them is converted: outputs written into the folder meanwhile are not walked again.
std::vector<std::string> FolderFiles(std::string_view folder);

}  // namespace app
