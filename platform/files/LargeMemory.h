#pragma once

#include <cstddef>

namespace platform {

// Private memory for a large buffer that is written once and then read through, such as an
// encoder's coefficients for a whole picture. The kernel is asked to back it with huge pages,
// where it gives them on request, so filling it costs a few faults instead of one per 4 KiB
// page. A thread keeps the last block it let go for its next picture, so a batch does not pay
// for fresh pages again; the memory comes back with its old contents.
class LargeMemory {
 public:
  LargeMemory() = default;
  LargeMemory(const LargeMemory&) = delete;
  LargeMemory& operator=(const LargeMemory&) = delete;
  ~LargeMemory() { Release(); }

  // At least `bytes`, or false when the system has no room.
  bool Reserve(std::size_t bytes);
  void* Data() const { return data_; }
  void Release();

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

// Gives back the block the calling thread keeps for its next picture.
void ReleaseSpareMemory();

}  // namespace platform
