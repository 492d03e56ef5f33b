#pragma once

#include <cstdint>
#include <span>

#include "platform/window/Imaging.h"

namespace skin {

// An image of a picture file held in memory (its first frame in time), owned by the caller; 0
// for bytes that are no picture, empty bytes, or no memory.
platform::ImageHandle LoadImageFromBytes(std::span<const std::uint8_t> bytes);

}  // namespace skin
