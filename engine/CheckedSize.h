#pragma once

#include <cstdint>
#include <optional>

namespace dropshrink {

// width × height × bytesPerPixel when it fits in 32 bits. The factors are
// widened to 64 bits first: each is below 2^32, so the product of the first two
// is below 2^64, and it is compared before the third multiplies it.
inline std::optional<std::uint32_t> CheckedPixelBytes(std::int64_t width, std::int64_t height,
                                                      std::int64_t bytesPerPixel) {
  if (width < 0 || height < 0 || bytesPerPixel < 0 || width > UINT32_MAX || height > UINT32_MAX ||
      bytesPerPixel > UINT32_MAX) {
    return std::nullopt;
  }
  const auto area = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (bytesPerPixel != 0 && area > UINT32_MAX / static_cast<std::uint64_t>(bytesPerPixel)) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(area * static_cast<std::uint64_t>(bytesPerPixel));
}

}  // namespace dropshrink
