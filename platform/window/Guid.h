#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace platform {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  friend bool operator==(const Guid&, const Guid&) = default;
};

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either case) from UTF-16 text
// given as bytes, units in the machine's byte order, ending at the first zero unit or at the end.
std::optional<Guid> ParseGuid(std::span<const std::uint8_t> wideText);

}  // namespace platform
