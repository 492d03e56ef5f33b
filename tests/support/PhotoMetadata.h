#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// The metadata a phone or camera puts in a photo, and damaged versions of it, byte by byte.
namespace dropshrink::testing {

using MetadataBytes = std::vector<unsigned char>;

inline void Put16(MetadataBytes& out, unsigned value, bool big) {
  out.push_back(static_cast<unsigned char>(big ? value >> 8 : value));
  out.push_back(static_cast<unsigned char>(big ? value : value >> 8));
}

inline void Put32(MetadataBytes& out, std::uint32_t value, bool big) {
  Put16(out, big ? value >> 16 : value & 0xFFFF, big);
  Put16(out, big ? value & 0xFFFF : value >> 16, big);
}

// A TIFF-structured EXIF block whose first directory holds one entry: by default the orientation.
struct ExifShape {
  int orientation = 1;
  bool bigEndian = false;
  std::uint32_t directoryAt = 8;
  unsigned entries = 1;
  unsigned type = 3;
  std::uint32_t count = 1;
};

inline MetadataBytes ExifBlock(const ExifShape& shape) {
  MetadataBytes block;
  block.push_back(shape.bigEndian ? 'M' : 'I');
  block.push_back(shape.bigEndian ? 'M' : 'I');
  Put16(block, 42, shape.bigEndian);
  Put32(block, shape.directoryAt, shape.bigEndian);
  Put16(block, shape.entries, shape.bigEndian);
  Put16(block, 0x0112, shape.bigEndian);
  Put16(block, shape.type, shape.bigEndian);
  Put32(block, shape.count, shape.bigEndian);
  Put16(block, static_cast<unsigned>(shape.orientation), shape.bigEndian);
  Put16(block, 0, shape.bigEndian);
  Put32(block, 0, shape.bigEndian);  // no next directory
  return block;
}

// `jpeg` with an APP marker of `payload` right after its start marker.
inline MetadataBytes WithMarker(const MetadataBytes& jpeg, unsigned char marker,
                                const MetadataBytes& payload) {
  MetadataBytes out;
  out.reserve(jpeg.size() + payload.size() + 4);
  out.push_back(jpeg[0]);
  out.push_back(jpeg[1]);
  out.push_back(0xFF);
  out.push_back(marker);
  Put16(out, static_cast<unsigned>(payload.size() + 2), true);
  for (const unsigned char byte : payload) out.push_back(byte);
  for (std::size_t i = 2; i < jpeg.size(); ++i) out.push_back(jpeg[i]);
  return out;
}

inline MetadataBytes ExifMarker(const MetadataBytes& exif) {
  MetadataBytes payload = {'E', 'x', 'i', 'f', 0, 0};
  for (const unsigned char byte : exif) payload.push_back(byte);
  return payload;
}

inline MetadataBytes IccMarker(int number, int count, const MetadataBytes& data) {
  MetadataBytes payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
  payload.push_back(static_cast<unsigned char>(number));
  payload.push_back(static_cast<unsigned char>(count));
  payload.insert(payload.end(), data.begin(), data.end());
  return payload;
}

// A display profile with an empty tag table, whose header says what colour-managed software and
// libpng check: its size, its signature, its classes and colour spaces.
inline MetadataBytes Profile(std::uint32_t size) {
  MetadataBytes profile(size);
  for (std::uint32_t i = 132; i < size; ++i) profile[i] = static_cast<unsigned char>(i * 7 + 3);
  const auto put = [&](std::size_t at, std::uint32_t value) {
    MetadataBytes bytes;
    Put32(bytes, value, true);
    std::copy(bytes.begin(), bytes.end(), profile.begin() + static_cast<long>(at));
  };
  put(0, size);
  put(8, 0x04200000);   // version 4.2
  put(12, 0x6D6E7472);  // 'mntr'
  put(16, 0x52474220);  // 'RGB '
  put(20, 0x58595A20);  // 'XYZ '
  put(36, 0x61637370);  // 'acsp'
  put(68, 0x0000F6D6);  // the D50 illuminant
  put(72, 0x00010000);
  put(76, 0x0000D32D);
  return profile;
}

}  // namespace dropshrink::testing
