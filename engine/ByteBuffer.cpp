#include "engine/ByteBuffer.h"

#include <cstdlib>

namespace dropshrink {

int ByteBuffer::Allocate(std::int32_t size) {
  Free();
  if (size < 0) return 0;
  // malloc(0) may return null; a zero-sized block is still a success.
  data_ = static_cast<std::uint8_t*>(std::malloc(size > 0 ? size : 1));
  if (data_ == nullptr) return 0;
  size_ = size;
  return 1;
}

void ByteBuffer::Free() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace dropshrink
