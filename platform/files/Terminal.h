#pragma once

#include <cstdio>

namespace platform {

// True when the stream writes to a terminal a person is watching.
bool IsTerminal(std::FILE* stream);

}  // namespace platform
