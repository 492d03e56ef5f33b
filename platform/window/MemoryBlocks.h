#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Heap blocks named by integer handles, so that a block can be kept in a window property.
namespace platform {

using BlockHandle = std::uintptr_t;

// A zero-filled block; 0 when the memory is not there.
BlockHandle AllocateBlock(std::size_t size);
bool FreeBlock(BlockHandle block);
bool IsBlock(BlockHandle block);
// 0 for a block that is none.
std::size_t GetBlockSize(BlockHandle block);
// Keeps the handle; new bytes are zero. False when the block is none or the memory is not there.
bool ResizeBlock(BlockHandle block, std::size_t size);
// The block's bytes, valid until it is resized or freed; empty for a block that is none.
std::span<std::uint8_t> BlockBytes(BlockHandle block);

}  // namespace platform
