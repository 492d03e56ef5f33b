#include "platform/window/MemoryBlocks.h"

#include <exception>
#include <vector>

#include "platform/window/HandleTable.h"

namespace platform {
namespace {

HandleTable<std::vector<std::uint8_t>>& Blocks() {
  static HandleTable<std::vector<std::uint8_t>> blocks;
  return blocks;
}

}  // namespace

BlockHandle AllocateBlock(std::size_t size) {
  try {
    return Blocks().Add(std::vector<std::uint8_t>(size));
  } catch (const std::exception&) {
    return 0;
  }
}

bool FreeBlock(BlockHandle block) {
  return Blocks().Remove(block);
}

bool IsBlock(BlockHandle block) {
  return Blocks().Find(block) != nullptr;
}

std::size_t GetBlockSize(BlockHandle block) {
  const auto* bytes = Blocks().Find(block);
  return bytes == nullptr ? 0 : bytes->size();
}

bool ResizeBlock(BlockHandle block, std::size_t size) {
  auto* bytes = Blocks().Find(block);
  if (bytes == nullptr) return false;
  try {
    bytes->resize(size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::span<std::uint8_t> BlockBytes(BlockHandle block) {
  auto* bytes = Blocks().Find(block);
  return bytes == nullptr ? std::span<std::uint8_t>() : std::span<std::uint8_t>(*bytes);
}

}  // namespace platform
