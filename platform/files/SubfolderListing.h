#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The names of the folders directly in `folder`, "." and ".." left out. A link to a folder is not
// one of them, so a walk that follows these names never loops. Empty optional when the folder
// cannot be read.
std::optional<std::vector<std::string>> ListSubfolders(const std::string& folder);

}  // namespace platform
