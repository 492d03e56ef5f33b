#include "engine/readers/PcxReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "engine/FileFunctions.h"
#include "engine/readers/ByteCursor.h"
#include "engine/readers/PcxRunLength.h"

namespace dropshrink {
namespace {

// 256 entries of red, green, blue: the last bytes of an 8-bit file.
constexpr int kPaletteEntries = 256;
constexpr int kPaletteBytes = 3 * kPaletteEntries;
// Only planes of 8 bits are read: one with a palette, or red, green and blue.
constexpr std::uint8_t kBitsPerPlane = 8;
constexpr std::uint8_t kPalettedPlanes = 1;
constexpr std::uint8_t kRgbPlanes = 3;
// A 24-bit scan line is split into planes through a buffer of this many bytes per pixel.
constexpr std::int64_t kLineBufferBytesPerPixel = 6;

// The manufacturer byte alone is a weak mark (a text file may start with a line feed), so a
// refusal speaks of PCX only when the version and encoding bytes agree too.
bool IsPcxSignature(const PcxHeader& header) {
  return header.manufacturer == PcxHeader::kManufacturer &&
         header.version <= PcxHeader::kLastVersion &&
         header.version != PcxHeader::kVersionNeverWritten &&
         header.encoding <= PcxHeader::kRunLength;
}

}  // namespace

bool PcxReader::ParseHeader() {
  std::array<std::uint8_t, PcxHeader::kBytes> block{};
  const std::size_t got = std::fread(block.data(), 1, block.size(), File());
  ByteCursor signature(std::span<const std::uint8_t>(block.data(), got));
  header_.manufacturer = signature.U8();
  header_.version = signature.U8();
  header_.encoding = signature.U8();
  if (!signature.Ok() || !IsPcxSignature(header_)) return false;
  if (got != block.size()) return Fail(Failure::Truncated);

  // The whole header is there: every field below lies inside the block.
  ByteCursor fields(block, signature.Offset());
  header_.bitsPerPlane = fields.U8();
  header_.xMin = fields.U16();
  header_.yMin = fields.U16();
  header_.xMax = fields.U16();
  header_.yMax = fields.U16();
  fields.Skip(PcxHeader::kPlanesOffset - fields.Offset());
  header_.planes = fields.U8();
  header_.bytesPerLine = fields.U16();
  header_.paletteKind = fields.U16();

  // A window whose end lies before its start passes here and fails in Read.
  width_ = header_.xMax - header_.xMin + 1;
  height_ = header_.yMax - header_.yMin + 1;
  // Two planes of 4 bits or eight of 1 also make 8 bits, but their bytes are not palette
  // indexes; decoding them as such would give a wrong picture.
  if (header_.bitsPerPlane != kBitsPerPlane ||
      (header_.planes != kPalettedPlanes && header_.planes != kRgbPlanes)) {
    return Fail(Failure::Unsupported);
  }
  // Each plane of a scan line holds a whole row: shorter lines would leave the
  // picture to be made up, however little data the file holds.
  if (header_.bytesPerLine < width_) return Fail(Failure::Corrupt);
  // The scan line must fit the line buffer.
  if (header_.planes == kRgbPlanes && width_ >= 1 &&
      header_.LineBytes() > kLineBufferBytesPerPixel * width_) {
    return Fail(Failure::Unsupported);
  }
  return true;
}

bool PcxReader::ReadPalette() {
  std::array<std::uint8_t, kPaletteBytes> colours{};
  if (std::fseek(File(), -kPaletteBytes, SEEK_END) != 0 ||
      std::fread(colours.data(), colours.size(), 1, File()) != 1) {
    return false;
  }
  for (int i = 0; i < kPaletteEntries; ++i) {
    std::memcpy(Target().Palette() + i * ColorTable::kEntryBytes, colours.data() + 3 * i, 3);
  }
  return true;
}

bool PcxReader::DecodeRows() {
  if (width_ < 1 || height_ < 1) return Fail(Failure::Corrupt);
  const bool paletted = header_.planes == kPalettedPlanes;
  const std::int64_t lineBytes = header_.LineBytes();
  if (lineBytes < 1) return Fail(Failure::Corrupt);
  const std::int64_t fileLength = FileLength(File());
  const std::int64_t dataBytes =
      fileLength - static_cast<std::int64_t>(PcxHeader::kBytes) - (paletted ? kPaletteBytes : 0);
  // A run of two bytes gives at most 63, a literal byte one, and no run crosses
  // a line: a line needs at least ceil(2L / 63) bytes (a line of 64 takes a run
  // and a literal, 3). Data shorter than that for every line cannot hold the
  // picture, so nothing is made for it.
  const std::int64_t fewestBytes = static_cast<std::int64_t>(height_) * ((2 * lineBytes + 62) / 63);
  if (dataBytes < 1 || dataBytes < fewestBytes) return Fail(Failure::Truncated);
  if (!data_.Allocate(static_cast<std::uint32_t>(dataBytes), kTempPrefix, nullptr)) {
    return Fail(data_.LastFailure());
  }
  if (!CreateTarget(paletted ? 8 : 24, paletted ? kPaletteEntries : 0)) return false;
  if (paletted && !ReadPalette()) return Fail(Failure::Truncated);
  const std::int64_t bufferBytes = paletted ? lineBytes : kLineBufferBytesPerPixel * width_;
  if (line_.Allocate(static_cast<std::int32_t>(bufferBytes)) == 0) {
    return Fail(Failure::OutOfMemory);
  }
  if (std::fseek(File(), PcxHeader::kBytes, SEEK_SET) != 0 ||
      std::fread(data_.Data(), data_.Size(), 1, File()) != 1) {
    return Fail(Failure::Truncated);
  }
  data_.Flush(data_.Data(), 0);

  PcxRunLength decoder({data_.Data(), data_.Size()});
  const std::span<std::uint8_t> scanLine(line_.Data(), static_cast<std::size_t>(lineBytes));
  const std::int32_t plane = header_.bytesPerLine;
  for (std::int32_t r = 0; r < height_; ++r) {
    if (!decoder.DecodeLine(scanLine)) return Fail(Failure::Truncated);
    std::uint8_t* row = Target().Row(r);
    if (paletted) {
      std::memcpy(row, scanLine.data(), std::min<std::int64_t>(width_, lineBytes));
    } else {
      for (std::int32_t j = 0; j < width_; ++j) {
        row[3 * j] = scanLine[j];
        row[3 * j + 1] = scanLine[plane + j];
        row[3 * j + 2] = scanLine[2 * plane + j];
      }
    }
    RowDone(r);
  }
  return true;
}

void PcxReader::ReleaseFormat() {
  data_.Free(true);
  line_.Free();
  header_ = {};
}

}  // namespace dropshrink
