#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/window/BlockStream.h"
#include "platform/window/MemoryBlocks.h"
#include "skin/ByteArray.h"

namespace skin {

// A memory block and a stream on it. A copy holds the same block and stream; whichever copy
// releases first frees the block, and the other's stream then reads nothing (block handles are
// never reused, so it cannot reach another block).
class MemoryStream {
 public:
  MemoryStream() = default;
  ~MemoryStream();
  MemoryStream(const MemoryStream&) = default;
  MemoryStream& operator=(const MemoryStream&) = default;

  // Frees the block if one is held; the stream stays.
  void Release();
  // With copy, a stream over a copy of the bytes that leaves the block to this object; without,
  // an empty stream that owns its growing block. Null on failure.
  platform::BlockStream* Open(std::span<const std::uint8_t> bytes, bool copy);
  platform::BlockStream* GetStream() const;
  std::size_t GetSize() const;
  ByteArray ReadAll() const;

 private:
  platform::BlockHandle block_ = 0;
  std::shared_ptr<platform::BlockStream> stream_;
};

}  // namespace skin
