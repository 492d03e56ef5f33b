#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace dropshrink {

// Little-endian fields of a header block. A field the block is too short to
// hold reads as nothing, so no header field is ever read past its block.
class LittleEndian {
 public:
  explicit LittleEndian(std::span<const std::uint8_t> block) : block_(block) {}

  std::optional<std::uint16_t> U16(std::size_t offset) const {
    if (!Holds(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(block_[offset] | block_[offset + 1] << 8);
  }
  std::optional<std::uint32_t> U32(std::size_t offset) const {
    if (!Holds(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(block_[offset]) |
           static_cast<std::uint32_t>(block_[offset + 1]) << 8 |
           static_cast<std::uint32_t>(block_[offset + 2]) << 16 |
           static_cast<std::uint32_t>(block_[offset + 3]) << 24;
  }
  std::optional<std::int32_t> I32(std::size_t offset) const {
    const auto value = U32(offset);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }

 private:
  bool Holds(std::size_t offset, std::size_t bytes) const {
    return offset <= block_.size() && block_.size() - offset >= bytes;
  }

  std::span<const std::uint8_t> block_;
};

}  // namespace dropshrink
