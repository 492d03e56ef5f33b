#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include <tiffio.h>

#include "engine/MappedStore.h"
#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// What the file header and the first image directory say, as far as Open decides on them.
struct TiffHeader {
  enum class ByteOrder { LittleEndian, BigEndian };
  enum class Version { Classic, Big };
  enum class Layout { Strips, Tiles };

  ByteOrder byteOrder = ByteOrder::LittleEndian;
  Version version = Version::Classic;
  // ImageWidth and ImageLength; 0 when the tag is missing.
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  Layout layout = Layout::Strips;
  // One decoded strip or tile, as libtiff allocates it.
  std::uint64_t chunkBytes = 0;
};

// The first image of a TIFF file, whatever its variant, through libtiff's RGBA
// interface, as 24-bit colour; alpha is dropped without blending.
class TiffReader : public ReaderSkeleton<TiffReader> {
 public:
  static constexpr std::string_view kFormatName = "TIFF";

  TiffReader() = default;
  ~TiffReader() { Close(); }

  // What libtiff's file procedures reach: the skeleton's file, its length, and
  // why it gave out before libtiff had all it asked for.
  struct Input {
    std::FILE* file = nullptr;
    std::uint64_t length = 0;
    Failure failure = Failure::None;
  };

 private:
  friend class ReaderSkeleton<TiffReader>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat();

  // Refuses, before any store is made, strips or tiles that lie outside the
  // file or are too short for what they decode to.
  bool ChunksFitTheFile();
  bool DecodeRaster(MappedStore& raster);
  // Rows in every strip but the last, from the tag, within 1 and the picture's length.
  std::uint32_t RowsPerStrip() const;
  // Plain 8-bit RGB (3) or grey (1) with samples side by side, which need no RGBA raster; 0 for
  // any other variant.
  int PlainSamples() const;
  bool DecodePlainStrips(int samples);
  bool DecodePlainTiles(int samples);
  // The reason for a libtiff call that failed.
  bool FailFromLibtiff();

  TiffHeader header_;
  Input input_;
  TIFF* tiff_ = nullptr;
};

}  // namespace dropshrink
