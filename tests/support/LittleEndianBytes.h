#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dropshrink::testing {

using Bytes = std::vector<unsigned char>;

// Little-endian fields written into a file a test builds by hand; the bytes grow as needed.
inline void PutU8(Bytes& bytes, std::size_t at, unsigned value) {
  if (bytes.size() < at + 1) bytes.resize(at + 1);
  bytes[at] = static_cast<unsigned char>(value);
}

inline void PutU16(Bytes& bytes, std::size_t at, unsigned value) {
  PutU8(bytes, at, value & 0xFF);
  PutU8(bytes, at + 1, (value >> 8) & 0xFF);
}

inline void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, value & 0xFFFF);
  PutU16(bytes, at + 2, value >> 16);
}

inline void PutText(Bytes& bytes, std::size_t at, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    PutU8(bytes, at + i, static_cast<unsigned char>(text[i]));
}

}  // namespace dropshrink::testing
