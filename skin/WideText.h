#pragma once

#include <string_view>

#include "skin/ByteArray.h"

namespace skin {

// Narrow text (UTF-8, up to its first zero) as UTF-16 for the imaging and GUID calls: 2 x n
// bytes holding n units in the machine's byte order, the terminating zero unit included.
ByteArray AnsiToWide(std::string_view text);

}  // namespace skin
