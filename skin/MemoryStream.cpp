#include "skin/MemoryStream.h"

#include <algorithm>

namespace skin {

MemoryStream::~MemoryStream() {
  Release();
}

void MemoryStream::Release() {
  if (block_ != 0) {
    platform::FreeBlock(block_);
    block_ = 0;
  }
}

platform::BlockStream* MemoryStream::Open(std::span<const std::uint8_t> bytes, bool copy) {
  Release();
  if (copy) {
    block_ = platform::AllocateBlock(bytes.size());
    if (block_ != 0) std::ranges::copy(bytes, platform::BlockBytes(block_).begin());
    stream_ = platform::BlockStream::Open(block_, false);
  } else {
    block_ = platform::AllocateBlock(0);
    stream_ = platform::BlockStream::Open(block_, true);
  }
  return stream_.get();
}

platform::BlockStream* MemoryStream::GetStream() const {
  return stream_.get();
}

std::size_t MemoryStream::GetSize() const {
  return platform::GetBlockSize(block_);
}

ByteArray MemoryStream::ReadAll() const {
  const std::span<const std::uint8_t> bytes = platform::BlockBytes(block_);
  return ByteArray(bytes.begin(), bytes.end());
}

}  // namespace skin
