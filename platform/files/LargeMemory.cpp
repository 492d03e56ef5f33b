#include "platform/files/LargeMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {
namespace {

// The size of a huge page on the machines this runs on; a region aligned to it is covered by
// huge pages from end to end.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Block {
  void* data = nullptr;
  std::size_t size = 0;
};

void Unmap(Block& block) {
  if (block.data != nullptr) munmap(block.data, block.size);
  block = {};
}

// The block this thread let go last.
thread_local struct SpareBlock {
  Block block;
  ~SpareBlock() { Unmap(block); }
} spare;

// Whole small pages: the tail past the last whole huge page is not rounded up to one, so it costs
// no more memory than it holds.
std::size_t RoundUp(std::size_t bytes) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

// A fresh region of `size` bytes aligned to a huge page, mapped with room to spare and trimmed.
void* MapAligned(std::size_t size) {
  void* mapped =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) munmap(mapped, aligned - start);
  munmap(reinterpret_cast<void*>(aligned + size), kHugePage - (aligned - start));
  auto* data = reinterpret_cast<void*>(aligned);
  // Only advice: where huge pages are off, the region works with small ones.
  madvise(data, size, MADV_HUGEPAGE);
  return data;
}

}  // namespace

void ReleaseSpareMemory() {
  Unmap(spare.block);
}

bool LargeMemory::Reserve(std::size_t bytes) {
  Release();
  if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage) return false;
  const std::size_t size = RoundUp(bytes);
  if (spare.block.data != nullptr && spare.block.size >= size) {
    data_ = spare.block.data;
    size_ = spare.block.size;
    spare.block = {};
    return true;
  }
  data_ = MapAligned(size);
  if (data_ == nullptr) return false;
  size_ = size;
  return true;
}

void LargeMemory::Release() {
  if (data_ == nullptr) return;
  if (spare.block.size <= size_) Unmap(spare.block);
  if (spare.block.data == nullptr) {
    spare.block = {data_, size_};
  } else {
    munmap(data_, size_);
  }
  data_ = nullptr;
  size_ = 0;
}

}  // namespace platform
