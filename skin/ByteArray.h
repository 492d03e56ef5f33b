#pragma once

#include <cstdint>
#include <vector>

namespace skin {

using ByteArray = std::vector<std::uint8_t>;

}  // namespace skin
