#include "engine/OrientedRows.h"

#include <algorithm>
#include <cstring>

namespace dropshrink {
namespace {

// Each stored row is visited once a band, for a run of this many pixels: enough for whole cache
// lines, few enough that the band stays in the processor's cache.
constexpr int kBandRows = 64;
// Stored rows lie a page or more apart, beyond what the processor fetches ahead by itself.
constexpr int kRowsFetchedAhead = 8;

bool SwapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

bool MirrorsRows(int orientation) {
  return orientation == 2 || orientation == 3;
}

bool ReversesRows(int orientation) {
  return orientation == 3 || orientation == 4;
}

// For the side-swapping orientations: whether upright row y is stored column y (5, 6) or
// column width - 1 - y (7, 8), and whether upright column x is stored row x (5, 8) or
// row height - 1 - x (6, 7).
bool ColumnsFromTheRight(int orientation) {
  return orientation == 7 || orientation == 8;
}

bool RowsFromTheBottom(int orientation) {
  return orientation == 6 || orientation == 7;
}

template <int kBytes>
void Reverse(const std::uint8_t* in, std::uint8_t* out, int pixels) {
  const std::uint8_t* from = in + static_cast<std::size_t>(pixels - 1) * kBytes;
  for (int x = 0; x < pixels; ++x, from -= kBytes, out += kBytes) std::memcpy(out, from, kBytes);
}

// Copies `count` pixels starting at stored column `first` of `in` into `count` band rows at
// column `x`, left to right or, when `fromTheRight`, right to left.
template <int kBytes>
void Scatter(const std::uint8_t* in, int first, int count, bool fromTheRight, std::uint8_t* band,
             std::size_t bandRowBytes, int x) {
  std::uint8_t* out = band + static_cast<std::size_t>(x) * kBytes;
  for (int k = 0; k < count; ++k, out += bandRowBytes) {
    const int column = fromTheRight ? first + count - 1 - k : first + k;
    std::memcpy(out, in + static_cast<std::size_t>(column) * kBytes, kBytes);
  }
}

}  // namespace

OrientedRows::OrientedRows(const RasterImage& source, int orientation)
    : source_(source),
      orientation_(orientation >= 1 && orientation <= 8 ? orientation : 1),
      bytesPerPixel_(source.BitsPerPixel() / 8),
      width_(SwapsSides(orientation_) ? source.Height() : source.Width()),
      height_(SwapsSides(orientation_) ? source.Width() : source.Height()) {
  if (orientation_ == 1 || orientation_ == 4) return;
  const int rows = SwapsSides(orientation_) ? kBandRows : 1;
  band_.resize(static_cast<std::size_t>(rows) * width_ * bytesPerPixel_);
}

const std::uint8_t* OrientedRows::Row(int y) {
  const int stored = ReversesRows(orientation_) ? height_ - 1 - y : y;
  if (orientation_ == 1 || orientation_ == 4) return source_.Row(stored);
  if (MirrorsRows(orientation_)) {
    if (bytesPerPixel_ == 3) {
      Reverse<3>(source_.Row(stored), band_.data(), width_);
    } else {
      Reverse<1>(source_.Row(stored), band_.data(), width_);
    }
    return band_.data();
  }
  if (y < bandFirst_ || y >= bandFirst_ + bandRows_) GatherBand(y);
  return band_.data() + static_cast<std::size_t>(y - bandFirst_) * width_ * bytesPerPixel_;
}

void OrientedRows::GatherBand(int firstRow) {
  bandFirst_ = firstRow;
  bandRows_ = std::min(kBandRows, height_ - firstRow);
  // Upright rows are stored columns: this band is stored columns [first, first + rows).
  const bool fromTheRight = ColumnsFromTheRight(orientation_);
  const int first = fromTheRight ? height_ - firstRow - bandRows_ : firstRow;
  const std::size_t bandRowBytes = static_cast<std::size_t>(width_) * bytesPerPixel_;
  const int storedRows = source_.Height();
  const std::size_t runStart = static_cast<std::size_t>(first) * bytesPerPixel_;
  for (int r = 0; r < storedRows; ++r) {
    if (r + kRowsFetchedAhead < storedRows) {
      const std::uint8_t* ahead = source_.Row(r + kRowsFetchedAhead) + runStart;
      for (int line = 0; line < bandRows_ * bytesPerPixel_; line += 64) {
        __builtin_prefetch(ahead + line);
      }
    }
    const int x = RowsFromTheBottom(orientation_) ? storedRows - 1 - r : r;
    if (bytesPerPixel_ == 3) {
      Scatter<3>(source_.Row(r), first, bandRows_, fromTheRight, band_.data(), bandRowBytes, x);
    } else {
      Scatter<1>(source_.Row(r), first, bandRows_, fromTheRight, band_.data(), bandRowBytes, x);
    }
  }
}

}  // namespace dropshrink
