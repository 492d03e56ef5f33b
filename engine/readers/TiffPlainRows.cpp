// Plain 8-bit RGB and grey pictures, samples side by side, read as they are stored: strips are
// decoded straight into the picture's rows, without libtiff's RGBA raster and its copy.
#include <algorithm>
#include <cstring>

#include "engine/ByteBuffer.h"
#include "engine/readers/TiffReader.h"

namespace dropshrink {
namespace {

// Spreads `pixels` grey bytes, which start at or after `out + 2 * pixels`, into RGB triples from
// `out` on. Going forward never overwrites a grey byte before it is read.
void SpreadGrey(const std::uint8_t* grey, std::uint8_t* out, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, out += 3) out[0] = out[1] = out[2] = grey[i];
}

}  // namespace

int TiffReader::PlainSamples() const {
  std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, format = 0, extra = 0;
  std::uint16_t* extraTypes = nullptr;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  if (TIFFGetField(tiff_, TIFFTAG_PHOTOMETRIC, &photometric) != 1) return false;
  const bool rgb = photometric == PHOTOMETRIC_RGB && samples == 3 && planar == PLANARCONFIG_CONTIG;
  const bool grey = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
  if (bits != 8 || format != SAMPLEFORMAT_UINT || extra != 0) return 0;
  return rgb ? 3 : grey ? 1 : 0;
}

bool TiffReader::DecodePlainStrips(int samples) {
  const std::uint32_t rowsPerStrip = RowsPerStrip();
  const std::size_t width = header_.width;
  for (std::uint32_t first = 0, strip = 0; first < header_.length; first += rowsPerStrip, ++strip) {
    const std::uint32_t rows = std::min(rowsPerStrip, header_.length - first);
    std::uint8_t* out = Target().Row(static_cast<std::int32_t>(first));
    const std::size_t pixels = width * rows;
    // A grey strip is decoded into the last third of its rows, then spread over them.
    std::uint8_t* stored = samples == 3 ? out : out + 2 * pixels;
    const auto bytes = static_cast<tmsize_t>(pixels * static_cast<std::size_t>(samples));
    const tmsize_t decoded = TIFFReadEncodedStrip(tiff_, strip, stored, bytes);
    if (decoded < 0) return FailFromLibtiff();
    if (decoded != bytes) return Fail(Failure::Truncated);
    if (samples == 1) SpreadGrey(stored, out, pixels);
    for (std::uint32_t row = first; row < first + rows; ++row) {
      RowDone(static_cast<int>(row));
    }
  }
  return true;
}

bool TiffReader::DecodePlainTiles(int samples) {
  std::uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tiff_, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tiff_, TIFFTAG_TILELENGTH, &tileLength);
  const std::uint64_t tileBytes = std::uint64_t{tileWidth} * tileLength * samples;
  if (tileWidth == 0 || tileLength == 0 || tileBytes > INT32_MAX) return Fail(Failure::Corrupt);
  ByteBuffer tile;
  if (tile.Allocate(static_cast<std::int32_t>(tileBytes)) == 0) return Fail(Failure::OutOfMemory);
  for (std::uint32_t top = 0; top < header_.length; top += tileLength) {
    const std::uint32_t rows = std::min(tileLength, header_.length - top);
    for (std::uint32_t left = 0; left < header_.width; left += tileWidth) {
      const std::uint32_t columns = std::min(tileWidth, header_.width - left);
      const tmsize_t decoded = TIFFReadEncodedTile(tiff_, TIFFComputeTile(tiff_, left, top, 0, 0),
                                                   tile.Data(), static_cast<tmsize_t>(tileBytes));
      if (decoded < 0) return FailFromLibtiff();
      if (decoded != static_cast<tmsize_t>(tileBytes)) return Fail(Failure::Truncated);
      for (std::uint32_t row = 0; row < rows; ++row) {
        const std::uint8_t* in = tile.Data() + std::size_t{row} * tileWidth * samples;
        std::uint8_t* out =
            Target().Row(static_cast<std::int32_t>(top + row)) + std::size_t{left} * 3;
        if (samples == 3) {
          std::memcpy(out, in, std::size_t{columns} * 3);
        } else {
          SpreadGrey(in, out, columns);
        }
      }
    }
    for (std::uint32_t row = top; row < top + rows; ++row) RowDone(static_cast<int>(row));
  }
  return true;
}

}  // namespace dropshrink
