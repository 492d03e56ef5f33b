#pragma once

#include <cstdint>
#include <span>

namespace dropshrink {

// Decodes run-length scan lines one after another from the compressed data.
// A run is cut at the end of its line; it never continues into the next one.
class PcxRunLength {
 public:
  explicit PcxRunLength(std::span<const std::uint8_t> data) : data_(data) {}

  // False when the data ends before the line is complete.
  bool DecodeLine(std::span<std::uint8_t> line);

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

}  // namespace dropshrink
