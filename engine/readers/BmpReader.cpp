#include "engine/readers/BmpReader.h"

#include <array>
#include <climits>
#include <vector>

#include "engine/FileFunctions.h"
#include "engine/readers/ByteCursor.h"

namespace dropshrink {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
// The info block of an OS/2 bitmap, and the part of a Windows one the reader reads (up to and
// including the compression field).
constexpr std::uint32_t kOs2InfoBytes = 12;
constexpr std::uint32_t kWindowsFieldsBytes = 20;

bool IsBitmapSignature(std::uint8_t first, std::uint8_t second) {
  return first == 'B' && (second == 'M' || second == 'A');
}

}  // namespace

bool BmpReader::ParseHeader() {
  const std::uint32_t fileLength = FileLength(File());
  std::array<std::uint8_t, kFileHeaderBytes> fileHeader{};
  if (std::fread(fileHeader.data(), fileHeader.size(), 1, File()) != 1) return false;
  ByteCursor file(fileHeader);
  const std::uint8_t first = file.U8();
  if (!IsBitmapSignature(first, file.U8())) return false;
  file.Skip(8);
  header_.pixelOffset = file.U32();
  // The info block lies between the file header and the pixels, inside the file.
  if (header_.pixelOffset < kFileHeaderBytes) return Fail(Failure::Corrupt);
  if (header_.pixelOffset > fileLength) return Fail(Failure::Truncated);
  const std::uint32_t infoBytes = header_.pixelOffset - kFileHeaderBytes;
  if (infoBytes < kOs2InfoBytes) return Fail(Failure::Truncated);
  std::vector<std::uint8_t> info(infoBytes);
  if (std::fread(info.data(), info.size(), 1, File()) != 1) return Fail(Failure::Truncated);

  ByteCursor fields(info);
  const bool os2 = fields.U32() == kOs2InfoBytes;
  if (!os2 && infoBytes < kWindowsFieldsBytes) return Fail(Failure::Truncated);
  // Both layouts: the words at 4 and 8 must hold a size at all.
  if (ByteCursor(info, 4).I32() < 1 || ByteCursor(info, 8).I32() == 0) {
    return Fail(Failure::Corrupt);
  }

  if (os2) {
    header_.layout = BmpHeader::Layout::Os2;
    header_.width = fields.U16();
    header_.height = fields.U16();
    fields.Skip(2);
    header_.bitsPerPixel = fields.U16();
    header_.compression = BmpHeader::kRgb;
    header_.bottomUp = true;
    kind_ = kKindBmpOs2;
  } else {
    header_.layout = BmpHeader::Layout::Windows;
    header_.width = fields.I32();
    const std::int32_t storedHeight = fields.I32();
    fields.Skip(2);
    const std::uint16_t storedBits = fields.U16();
    header_.compression = fields.U32();
    if (header_.compression > BmpHeader::kBitFields || storedHeight == INT32_MIN) {
      return Fail(Failure::Unsupported);
    }
    header_.height = storedHeight < 0 ? -storedHeight : storedHeight;
    header_.bottomUp = storedHeight >= 0;
    header_.bitsPerPixel = header_.compression == BmpHeader::kRle8   ? 8
                           : header_.compression == BmpHeader::kRle4 ? 4
                                                                     : storedBits;
    kind_ = kKindBmpWindows;
  }
  if (!fields.Ok()) return Fail(Failure::Truncated);
  if (header_.bitsPerPixel != 24) return Fail(Failure::Unsupported);
  width_ = header_.width;
  height_ = header_.height;
  return true;
}

bool BmpReader::DecodeRows() {
  // Stored rows are padded to four bytes; counted in 64 bits, as a width near 2^31 would wrap
  // a 32-bit sum.
  const std::uint64_t stored = (static_cast<std::uint64_t>(width_) * 24 + 31) / 32 * 4;
  // A file too short for its rows fails before any store is made for them.
  const std::uint64_t fileLength = FileLength(File());
  if (stored > INT32_MAX) return Fail(Failure::TooLarge);
  if (header_.pixelOffset > fileLength ||
      stored * static_cast<std::uint64_t>(height_) > fileLength - header_.pixelOffset) {
    return Fail(Failure::Truncated);
  }
  if (!CreateTarget(24, 0)) return false;
  if (std::fseek(File(), static_cast<long>(header_.pixelOffset), SEEK_SET) != 0) {
    return Fail(Failure::Truncated);
  }
  std::vector<std::uint8_t> row(stored);
  for (std::int32_t i = 0; i < height_; ++i) {
    if (std::fread(row.data(), row.size(), 1, File()) != 1) return Fail(Failure::Truncated);
    const std::uint8_t* in = row.data();
    std::uint8_t* out = Target().Row(header_.bottomUp ? height_ - 1 - i : i);
    for (std::int32_t x = 0; x < width_; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    RowDone(i);
  }
  return true;
}

}  // namespace dropshrink
