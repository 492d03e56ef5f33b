#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/window/MemoryBlocks.h"

namespace platform {

// A read and write position over a memory block. Writing past the end grows the block. The
// stream refers to the block by handle, so a block freed under it makes reads and writes fail
// rather than touch freed memory.
class BlockStream {
 public:
  // Null when the block is none.
  static std::unique_ptr<BlockStream> Open(BlockHandle block, bool ownsBlock);
  ~BlockStream();
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;

  // How many bytes were read: fewer at the end of the block, 0 when the block is gone.
  std::size_t Read(std::span<std::uint8_t> into);
  // False when the block is gone or cannot grow.
  bool Write(std::span<const std::uint8_t> bytes);
  void Seek(std::size_t position) { position_ = position; }
  std::size_t Position() const { return position_; }
  std::size_t Size() const { return GetBlockSize(block_); }
  BlockHandle Block() const { return block_; }

 private:
  BlockStream(BlockHandle block, bool ownsBlock) : block_(block), ownsBlock_(ownsBlock) {}

  BlockHandle block_;
  bool ownsBlock_;
  std::size_t position_ = 0;
};

}  // namespace platform
