#pragma once

#include <algorithm>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

// The header fields a test sets; the rest of the 128 bytes stay 0.
struct PcxFields {
  int version = 5;
  int encoding = 1;
  int bitsPerPlane = 8;
  int xMin = 0;
  int yMin = 0;
  int xMax = 2;
  int yMax = 1;
  int planes = 1;
  int bytesPerLine = 4;
  // An 8-bit file ends with a palette whose entry i is (i, 255 - i, 3i).
  bool palette = true;
};

// A PCX file of this header followed by `data` as it is coded.
inline Bytes Pcx(const PcxFields& f, const Bytes& data) {
  Bytes b(128, 0);
  PutU8(b, 0, 0x0A);
  PutU8(b, 1, f.version);
  PutU8(b, 2, f.encoding);
  PutU8(b, 3, f.bitsPerPlane);
  PutU16(b, 4, f.xMin);
  PutU16(b, 6, f.yMin);
  PutU16(b, 8, f.xMax);
  PutU16(b, 10, f.yMax);
  PutU8(b, 65, f.planes);
  PutU16(b, 66, f.bytesPerLine);
  b.resize(128 + data.size());
  std::copy(data.begin(), data.end(), b.begin() + 128);
  if (f.palette) {
    const std::size_t at = b.size();
    for (unsigned i = 0; i < 256; ++i) {
      PutU8(b, at + 3 * i, i);
      PutU8(b, at + 3 * i + 1, 255 - i);
      PutU8(b, at + 3 * i + 2, (3 * i) & 0xFF);
    }
  }
  return b;
}

}  // namespace dropshrink::testing
