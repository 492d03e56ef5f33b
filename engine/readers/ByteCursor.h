#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace dropshrink {

// Reads a header's little-endian fields in order. A read past the block gives 0 and marks the
// cursor overrun, so a parse reads its fields and then asks once whether they were all there.
class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> block, std::size_t offset = 0)
      : block_(block), offset_(offset) {}

  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  void Skip(std::size_t bytes) { Take(0, bytes); }

  // True while every read so far lay inside the block.
  bool Ok() const { return !overrun_; }
  std::size_t Offset() const { return offset_; }

 private:
  // Little-endian value of the next `bytes` bytes (at most 4); `skip` moves on without reading.
  std::uint32_t Take(std::size_t bytes, std::size_t skip = 0) {
    const std::size_t length = bytes + skip;
    if (overrun_ || offset_ > block_.size() || block_.size() - offset_ < length) {
      overrun_ = true;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      value |= static_cast<std::uint32_t>(block_[offset_ + i]) << (8 * i);
    }
    offset_ += length;
    return value;
  }

  std::span<const std::uint8_t> block_;
  std::size_t offset_;
  bool overrun_ = false;
};

}  // namespace dropshrink
