#pragma once

#include <string>

namespace dropshrink::cli {

// The --help page, laid out like a manual page.
std::string HelpText();

}  // namespace dropshrink::cli
