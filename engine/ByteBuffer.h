#pragma once

#include <cstdint>

namespace dropshrink {

// A block of uninitialised bytes on the heap.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { Free(); }

  int Allocate(std::int32_t size);
  void Free();

  std::uint8_t* Data() const { return data_; }
  std::int32_t Size() const { return size_; }

 private:
  std::int32_t size_ = 0;
  std::uint8_t* data_ = nullptr;
};

}  // namespace dropshrink
