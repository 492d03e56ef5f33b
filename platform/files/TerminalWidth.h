#pragma once

#include <cstdio>

namespace platform {

// The columns of the terminal the stream writes to; 0 when it is no terminal or will not say.
int TerminalWidth(std::FILE* stream);

}  // namespace platform
