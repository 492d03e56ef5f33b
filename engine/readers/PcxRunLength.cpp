#include "engine/readers/PcxRunLength.h"

#include <algorithm>

namespace dropshrink {

bool PcxRunLength::DecodeLine(std::span<std::uint8_t> line) {
  std::size_t position = 0;
  while (position < line.size()) {
    if (at_ >= data_.size()) return false;
    const std::uint8_t b = data_[at_++];
    if (b < 0xC0) {
      line[position++] = b;
      continue;
    }
    if (at_ >= data_.size()) return false;
    const std::uint8_t value = data_[at_++];
    const std::size_t count = std::min<std::size_t>(b & 0x3F, line.size() - position);
    std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(position), count, value);
    position += count;
  }
  return true;
}

}  // namespace dropshrink
