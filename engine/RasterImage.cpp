#include "engine/RasterImage.h"

#include <algorithm>

#include <cstring>

#include "engine/CheckedSize.h"
#include "platform/files/Files.h"

namespace dropshrink {
namespace {

int BytesPerPixel(std::int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
    case 16:
    case 24:
    case 32:
      return bitsPerPixel / 8;
    default:
      return 0;
  }
}

}  // namespace

bool RasterImage::Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel,
                         std::int32_t paletteEntries) {
  Release();
  failure_ = Failure::InvalidArgument;
  const int bytes = BytesPerPixel(bitsPerPixel);
  if (width < 1 || height < 1 || bytes == 0) return false;
  const auto size = CheckedPixelBytes(width, height, bytes);
  if (!size) {
    failure_ = Failure::TooLarge;
    return false;
  }
  if (bitsPerPixel != 8) paletteEntries = 0;
  if (paletteEntries < 0) return false;

  if (!store_.Allocate(*size, kTempPrefix, nullptr)) {
    failure_ = store_.LastFailure();
    Release();
    return false;
  }
  if (paletteEntries > 0 && !palette_.Allocate(paletteEntries)) {
    failure_ = Failure::OutOfMemory;
    Release();
    return false;
  }
  failure_ = Failure::None;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  paletteEntries_ = paletteEntries;
  pixels_ = store_.Data();
  return true;
}

bool RasterImage::Release() {
  store_.Free(true);
  palette_.Clear();
  width_ = 0;
  height_ = 0;
  bitsPerPixel_ = 0;
  pixels_ = nullptr;
  paletteEntries_ = 0;
  return true;
}

bool RasterImage::CopyFrom(const RasterImage& source) {
  if (&source == this || source.Width() < 1 || source.Height() < 1) return false;
  if (!Create(source.Width(), source.Height(), source.BitsPerPixel(), source.PaletteEntries())) {
    return false;
  }
  std::memcpy(pixels_, source.Pixels(), PixelBytes());
  if (paletteEntries_ > 0) {
    std::memcpy(Palette(), source.Palette(),
                static_cast<std::size_t>(paletteEntries_) * ColorTable::kEntryBytes);
  }
  Flush();
  return true;
}

std::uint32_t RasterImage::RowBytes() const {
  return static_cast<std::uint32_t>(width_) * BytesPerPixel(bitsPerPixel_);
}

void RasterImage::PrepareRows(std::int32_t first, std::int32_t count) const {
  if (pixels_ == nullptr || first < 0 || first >= height_ || count < 1) return;
  const std::int32_t rows = std::min(count, height_ - first);
  platform::PrepareForWriting(Row(first), static_cast<std::size_t>(rows) * RowBytes());
}

void RasterImage::Flush() const {
  store_.Flush(pixels_, 0);
}

}  // namespace dropshrink
