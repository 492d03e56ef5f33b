#include "engine/readers/TiffReader.h"

#include <climits>
#include <cstring>
#include <mutex>

#include "engine/CheckedSize.h"

namespace dropshrink {
namespace {

// libtiff reports through process-wide handlers; with none it says nothing.
void SilenceLibtiff() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

}  // namespace

void TiffReader::Reset() {
  progress_ = nullptr;
  tiff_ = nullptr;
  readingActive_ = 0;
  path_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int TiffReader::Close() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
  Reset();
  return 1;
}

int TiffReader::Open(const char* path, RasterImage& target, ProgressCallback progress) {
  Close();
  SilenceLibtiff();
  if (path == nullptr || (tiff_ = TIFFOpen(path, "r")) == nullptr) {
    Close();
    return 0;
  }
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height);
  // The RGBA raster must fit in one store, and the picture in a RasterImage.
  // libtiff decodes one strip or tile at a time into a buffer it allocates,
  // sized by the samples per pixel the file claims: that buffer too must fit
  // in 32 bits.
  const std::uint64_t chunkBytes =
      TIFFIsTiled(tiff_) ? TIFFTileSize64(tiff_) : TIFFStripSize64(tiff_);
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX ||
      !CheckedPixelBytes(width, height, 4) || chunkBytes > UINT32_MAX) {
    Close();
    return 0;
  }
  width_ = width;
  height_ = height;
  path_.Assign(path);
  progress_ = progress;
  image_ = &target;
  bitsPerPixel_ = 32;
  kind_ = kKindTiff;
  readingActive_ = 1;
  return 1;
}

int TiffReader::Read() {
  MappedStore raster;
  ByteBuffer row;
  const bool decoded = readingActive_ == 1 && DecodeRaster(raster, row);
  const auto height = static_cast<int>(height_);
  ReportProgress(progress_, progress_phase::kReading, height - 1, height);
  Close();
  raster.Free(true);
  return decoded ? 1 : 0;
}

bool TiffReader::DecodeRaster(MappedStore& raster, ByteBuffer& row) {
  const auto width = static_cast<std::int32_t>(width_);
  const auto height = static_cast<std::int32_t>(height_);
  RasterImage& target = *image_;
  const bool sameGeometry =
      target.Width() == width && target.Height() == height && target.BitsPerPixel() == 24;
  const std::uint32_t rowBytes = width_ * 4;
  if ((!sameGeometry && !target.Create(width, height, 24, 0)) ||
      row.Allocate(static_cast<std::int32_t>(rowBytes)) == 0 ||
      !raster.Allocate(*CheckedPixelBytes(width, height, 4), kTempPrefix, nullptr) ||
      TIFFReadRGBAImage(tiff_, width_, height_, reinterpret_cast<std::uint32_t*>(raster.Data()),
                        0) == 0) {
    return false;
  }
  // libtiff's raster starts with the bottom row.
  for (std::int32_t i = 0; i < height / 2; ++i) {
    std::uint8_t* top = raster.Data() + static_cast<std::size_t>(i) * rowBytes;
    std::uint8_t* bottom = raster.Data() + static_cast<std::size_t>(height - 1 - i) * rowBytes;
    std::memcpy(row.Data(), top, rowBytes);
    std::memcpy(top, bottom, rowBytes);
    std::memcpy(bottom, row.Data(), rowBytes);
  }
  for (std::int32_t r = 0; r < height; ++r) {
    const std::uint8_t* in = raster.Data() + static_cast<std::size_t>(r) * rowBytes;
    std::uint8_t* out = target.Row(r);
    for (std::int32_t j = 0; j < width; ++j, in += 4, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
    ReportProgress(progress_, progress_phase::kReading, r, height);
  }
  return true;
}

}  // namespace dropshrink
