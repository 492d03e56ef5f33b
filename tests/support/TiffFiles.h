#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

using TiffFields = std::map<std::uint16_t, std::vector<std::uint32_t>>;

// A little-endian TIFF of LONG fields: the directory, the fields of more than one value, then the
// strips or tiles one after another, `counts` bytes each, taken from `data`; `offsetsTag` and
// `countsTag` name where they are.
inline Bytes Tiff(TiffFields fields, std::uint16_t offsetsTag, std::uint16_t countsTag,
                  const std::vector<std::uint32_t>& counts, const Bytes& data) {
  fields[offsetsTag] = std::vector<std::uint32_t>(counts.size());
  fields[countsTag] = counts;
  const std::uint32_t ifdBytes = 2 + 12 * static_cast<std::uint32_t>(fields.size()) + 4;
  std::uint32_t arrays = 0;
  for (const auto& [tag, values] : fields) {
    if (values.size() > 1) arrays += 4 * static_cast<std::uint32_t>(values.size());
  }
  std::uint32_t at = 8 + ifdBytes + arrays;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    fields[offsetsTag][i] = at;
    at += counts[i];
  }

  Bytes b = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto put = [&b](std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  Bytes arrayBytes;
  put(fields.size(), 2);
  for (const auto& [tag, values] : fields) {
    put(tag, 2);
    put(4, 2);  // LONG
    put(values.size(), 4);
    if (values.size() == 1) {
      put(values[0], 4);
    } else {
      put(8 + ifdBytes + arrayBytes.size(), 4);
      for (std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i) arrayBytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
      }
    }
  }
  put(0, 4);
  b.insert(b.end(), arrayBytes.begin(), arrayBytes.end());
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A grey TIFF, uncompressed, in strips of `rowsPerStrip` rows whose byte counts say whole strips
// however few `pixels` follow; `tags` replaces or removes (value -1) single-valued fields.
inline Bytes GreyTiff(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
                      const std::map<std::uint16_t, std::int64_t>& tags = {},
                      std::uint32_t rowsPerStrip = 0) {
  if (rowsPerStrip == 0) rowsPerStrip = std::max<std::uint32_t>(height, 1);
  TiffFields fields = {{256, {width}}, {257, {height}}, {258, {8}},
                       {259, {1}},     {262, {1}},      {278, {rowsPerStrip}}};
  for (const auto& [tag, value] : tags) {
    if (value < 0) {
      fields.erase(tag);
    } else {
      fields[tag] = {static_cast<std::uint32_t>(value)};
    }
  }
  const std::uint32_t strips =
      std::max<std::uint32_t>(1, (height + rowsPerStrip - 1) / rowsPerStrip);
  return Tiff(fields, 273, 279, std::vector<std::uint32_t>(strips, width * rowsPerStrip), pixels);
}

// `data` as one zlib stream of stored deflate blocks.
inline Bytes Zlib(const Bytes& data) {
  Bytes z = {0x78, 0x01};
  const std::size_t n = data.size();
  z.insert(z.end(), {1, static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                     static_cast<unsigned char>(~n), static_cast<unsigned char>(~n >> 8)});
  z.insert(z.end(), data.begin(), data.end());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (int shift : {24, 16, 8, 0}) z.push_back(static_cast<unsigned char>((b << 16 | a) >> shift));
  return z;
}

// An 8 × 8 grey Deflate TIFF in two strips, directory first: every cut into its strips leaves
// the directory readable.
inline Bytes DeflateTiff() {
  std::vector<std::uint32_t> counts;
  Bytes data;
  for (int strip = 0; strip < 2; ++strip) {
    Bytes rows(32);
    for (std::size_t i = 0; i < rows.size(); ++i)
      rows[i] = static_cast<unsigned char>(strip * 97 + i * 7);
    const Bytes coded = Zlib(rows);
    counts.push_back(static_cast<std::uint32_t>(coded.size()));
    data.insert(data.end(), coded.begin(), coded.end());
  }
  return Tiff({{256, {8}}, {257, {8}}, {258, {8}}, {259, {8}}, {262, {1}}, {278, {4}}}, 273, 279,
              counts, data);
}

}  // namespace dropshrink::testing
