#pragma once

#include <string>

namespace dropshrink::cli {

// folder + "/" + the source's file name without its last suffix + "_压缩.jpg".
std::string OutputName(const std::string& folder, const std::string& source);

}  // namespace dropshrink::cli
