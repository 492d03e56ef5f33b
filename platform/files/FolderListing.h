#pragma once

#include <string>
#include <vector>

namespace platform {

// The names of every entry directly in the folder that is not a folder itself (hidden files
// included; a link counts as what it points to), in the order the file system gives them.
// Empty when the folder cannot be read.
std::vector<std::string> ListFolderFiles(const std::string& folder);

}  // namespace platform
