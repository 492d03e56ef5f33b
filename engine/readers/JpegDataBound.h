#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

namespace dropshrink {

// The fewest bytes of coded data that can follow the first scan header of a complete file
// with this frame, or 0 where no useful bound exists. Huffman coding spends at least one bit on
// every block of every component: a sequential file codes each component once, block by block,
// and a progressive one starts each component with a DC scan that does the same. Every code is
// one bit or more. Arithmetic coding can code a long run of empty blocks in a small fraction of
// a bit each, so it has no bound worth checking.
inline std::uint64_t MinimumCodedBytes(const jpeg_decompress_struct& info) {
  if (info.arith_code) return 0;
  std::uint64_t blocks = 0;
  for (int c = 0; c < info.num_components; ++c) {
    blocks += static_cast<std::uint64_t>(info.comp_info[c].width_in_blocks) *
              info.comp_info[c].height_in_blocks;
  }
  return blocks / 8;
}

// The bytes of `file` the library has not yet decoded: those left in the file and those still
// in its input buffer. 0 when the position cannot be told.
inline std::uint64_t BytesNotYetRead(const jpeg_decompress_struct& info, std::FILE* file) {
  const long position = std::ftell(file);
  if (position < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  if (std::fseek(file, position, SEEK_SET) != 0 || end < position) return 0;
  return static_cast<std::uint64_t>(end - position) + info.src->bytes_in_buffer;
}

}  // namespace dropshrink
