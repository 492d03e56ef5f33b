#pragma once

#include <cstdint>
#include <span>

// The program's five pictures: complete PNG files (8-bit RGBA), embedded at build time.
namespace resources {

std::span<const std::uint8_t> SkinPicture();
std::span<const std::uint8_t> DragHintPicture();
std::span<const std::uint8_t> LoadingPicture();
std::span<const std::uint8_t> DonePicture();
std::span<const std::uint8_t> HelpPicture();

}  // namespace resources
