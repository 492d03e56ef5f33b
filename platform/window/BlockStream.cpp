#include "platform/window/BlockStream.h"

#include <algorithm>

namespace platform {

std::unique_ptr<BlockStream> BlockStream::Open(BlockHandle block, bool ownsBlock) {
  if (!IsBlock(block)) return nullptr;
  return std::unique_ptr<BlockStream>(new (std::nothrow) BlockStream(block, ownsBlock));
}

BlockStream::~BlockStream() {
  if (ownsBlock_) FreeBlock(block_);
}

std::size_t BlockStream::Read(std::span<std::uint8_t> into) {
  const std::span<std::uint8_t> bytes = BlockBytes(block_);
  if (position_ >= bytes.size()) return 0;
  const std::size_t count = std::min(into.size(), bytes.size() - position_);
  std::copy_n(bytes.begin() + position_, count, into.begin());
  position_ += count;
  return count;
}

bool BlockStream::Write(std::span<const std::uint8_t> bytes) {
  if (!IsBlock(block_) || position_ > SIZE_MAX - bytes.size()) return false;
  const std::size_t end = position_ + bytes.size();
  if (end > GetBlockSize(block_) && !ResizeBlock(block_, end)) return false;
  std::copy(bytes.begin(), bytes.end(), BlockBytes(block_).begin() + position_);
  position_ = end;
  return true;
}

}  // namespace platform
