#pragma once

#include <cstdint>

#include "engine/ByteBuffer.h"

namespace dropshrink {

// A palette of 8-byte entries: red, green, blue, then five unused bytes.
class ColorTable {
 public:
  static constexpr int kEntryBytes = 8;

  bool Allocate(std::int32_t count);
  void Clear();

  std::uint8_t* Entries() const { return block_.Data(); }
  std::int32_t Count() const { return count_; }

 private:
  ByteBuffer block_;
  std::int32_t count_ = 0;
};

}  // namespace dropshrink
