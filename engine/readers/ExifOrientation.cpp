#include "engine/readers/ExifOrientation.h"

#include <cstddef>

namespace dropshrink {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kEntryBytes = 12;

// Reads the block's numbers in its own byte order; nothing is read outside the block.
class ExifBytes {
 public:
  ExifBytes(std::span<const std::uint8_t> block, bool bigEndian)
      : block_(block), bigEndian_(bigEndian) {}

  bool Has(std::size_t offset, std::size_t bytes) const {
    return offset <= block_.size() && block_.size() - offset >= bytes;
  }
  std::uint16_t U16(std::size_t at) const {
    const unsigned a = block_[at], b = block_[at + 1];
    return static_cast<std::uint16_t>(bigEndian_ ? a << 8 | b : b << 8 | a);
  }
  std::uint32_t U32(std::size_t at) const {
    const std::uint32_t high = U16(bigEndian_ ? at : at + 2);
    const std::uint32_t low = U16(bigEndian_ ? at + 2 : at);
    return high << 16 | low;
  }

 private:
  std::span<const std::uint8_t> block_;
  bool bigEndian_;
};

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < kHeaderBytes) return 1;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  const bool big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!little && !big) return 1;
  const ExifBytes bytes(tiff, big);
  if (bytes.U16(2) != 42) return 1;
  // Only the first directory is read, so no chain of directory pointers is ever followed.
  const std::size_t directory = bytes.U32(4);
  if (!bytes.Has(directory, 2)) return 1;
  const std::size_t entries = bytes.U16(directory);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + i * kEntryBytes;
    if (!bytes.Has(entry, kEntryBytes)) return 1;
    if (bytes.U16(entry) != kOrientationTag) continue;
    if (bytes.U16(entry + 2) != kShortType || bytes.U32(entry + 4) != 1) return 1;
    // A single short sits at the start of the value field.
    const int orientation = bytes.U16(entry + 8);
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
  }
  return 1;
}

}  // namespace dropshrink
