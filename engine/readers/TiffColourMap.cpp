#include "engine/readers/TiffColourMap.h"

#include <array>
#include <cstddef>

namespace dropshrink {
namespace {

constexpr std::uint16_t kPhotometricTag = 262;
constexpr std::uint16_t kColourMapTag = 320;
constexpr std::uint16_t kPalette = 3;
constexpr std::uint64_t kShortBytes = 2;

// Reads numbers at absolute offsets in the file's own byte order; a read past the end gives
// nothing.
class StoredNumbers {
 public:
  StoredNumbers(std::FILE* file, std::uint64_t length, bool bigEndian)
      : file_(file), length_(length), bigEndian_(bigEndian) {}

  bool Number(std::uint64_t at, std::size_t bytes, std::uint64_t& value) {
    std::array<std::uint8_t, 8> raw{};
    if (bytes > raw.size() || !Read(at, raw.data(), bytes)) return false;
    value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      const std::size_t byte = bigEndian_ ? i : bytes - 1 - i;
      value = value << 8 | raw[byte];
    }
    return true;
  }

 private:
  bool Read(std::uint64_t at, std::uint8_t* out, std::size_t bytes) {
    if (at > length_ || length_ - at < bytes) return false;
    return std::fseek(file_, static_cast<long>(at), SEEK_SET) == 0 &&
           std::fread(out, 1, bytes, file_) == bytes;
  }

  std::FILE* file_;
  std::uint64_t length_;
  bool bigEndian_;
};

}  // namespace

Failure PaletteColoursFailure(std::FILE* file, std::uint64_t length, bool bigEndian, bool big) {
  StoredNumbers numbers(file, length, bigEndian);
  // Classic and big files differ in the width of offsets, counts and entries.
  const std::size_t offsetBytes = big ? 8 : 4;
  const std::size_t countBytes = big ? 8 : 2;
  const std::uint64_t entryBytes = big ? 20 : 12;
  std::uint64_t directory = 0;
  std::uint64_t entries = 0;
  if (!numbers.Number(big ? 8 : 4, offsetBytes, directory) ||
      !numbers.Number(directory, countBytes, entries) || entries > length / entryBytes) {
    return Failure::None;
  }
  bool palette = false;
  bool coloursFound = false;
  bool coloursInside = false;
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = directory + countBytes + i * entryBytes;
    std::uint64_t tag = 0, count = 0, value = 0;
    if (!numbers.Number(entry, 2, tag) || !numbers.Number(entry + 4, offsetBytes, count)) break;
    const std::uint64_t field = entry + 4 + offsetBytes;
    if (tag == kPhotometricTag && numbers.Number(field, 2, value)) palette = value == kPalette;
    if (tag == kColourMapTag && count <= length / kShortBytes &&
        numbers.Number(field, offsetBytes, value)) {
      const std::uint64_t bytes = count * kShortBytes;
      coloursFound = true;
      // A map that fits in the entry itself lies inside the file by being read.
      coloursInside = bytes <= offsetBytes || (value <= length && bytes <= length - value);
    }
  }
  if (!palette || coloursInside) return Failure::None;
  return coloursFound ? Failure::Truncated : Failure::Corrupt;
}

}  // namespace dropshrink
