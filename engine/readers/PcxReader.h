#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/ByteBuffer.h"
#include "engine/MappedStore.h"
#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// The 128-byte header at the start of a PCX file.
struct PcxHeader {
  static constexpr std::size_t kBytes = 128;
  static constexpr std::uint8_t kManufacturer = 0x0A;
  // Versions 0 (2.5), 2 and 3 (2.8), 4 (Windows) and 5 (3.0); 1 was never written.
  static constexpr std::uint8_t kLastVersion = 5;
  static constexpr std::uint8_t kVersionNeverWritten = 1;
  // The encoding byte is not trusted: the data is run-length decoded whatever it says.
  enum Encoding : std::uint8_t { kUncompressed = 0, kRunLength = 1 };
  enum PaletteKind : std::uint16_t { kColourPalette = 1, kGreyPalette = 2 };
  // The 48-byte 16-colour palette and a reserved byte lie between the resolution and the planes.
  static constexpr std::size_t kPlanesOffset = 65;

  std::uint8_t manufacturer = 0;
  std::uint8_t version = 0;
  std::uint8_t encoding = kRunLength;
  std::uint8_t bitsPerPlane = 0;
  // The picture's window, inclusive at both ends.
  std::uint16_t xMin = 0;
  std::uint16_t yMin = 0;
  std::uint16_t xMax = 0;
  std::uint16_t yMax = 0;
  std::uint8_t planes = 0;
  // Bytes of one plane in a scan line.
  std::uint16_t bytesPerLine = 0;
  std::uint16_t paletteKind = kColourPalette;

  std::int32_t BitsPerPixel() const { return planes * bitsPerPlane; }
  // Decoded bytes of one scan line: every plane, one after another.
  std::int64_t LineBytes() const { return static_cast<std::int64_t>(planes) * bytesPerLine; }
};

// Run-length PCX files of 8 bits (one plane and a 256-colour palette at the
// end of the file) and 24 bits (three planes per scan line). Kind stays
// kKindNone: PCX has no variants worth telling apart.
class PcxReader : public ReaderSkeleton<PcxReader> {
 public:
  static constexpr std::string_view kFormatName = "PCX";

  PcxReader() = default;
  ~PcxReader() { Close(); }

 private:
  friend class ReaderSkeleton<PcxReader>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat();

  bool ReadPalette();

  PcxHeader header_;
  // The compressed data, and the scan line it decodes into; they live only during Read.
  MappedStore data_;
  ByteBuffer line_;
};

}  // namespace dropshrink
