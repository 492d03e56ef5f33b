#pragma once

#include <cstdint>

#include "platform/window/Geometry.h"
#include "platform/window/WindowTable.h"

namespace platform {

// A button message's point travels in lParam: x in the low 16 bits, y in the next 16, each
// signed, so a point just left of or above the window survives.
inline LParam PackPoint(Point point) {
  return static_cast<LParam>((static_cast<std::uint32_t>(point.y) & 0xFFFF) << 16 |
                             (static_cast<std::uint32_t>(point.x) & 0xFFFF));
}

inline Point UnpackPoint(LParam lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  return {static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>(bits >> 16)};
}

}  // namespace platform
