#include "engine/readers/BmpReader.h"

#include <climits>
#include <span>

#include "engine/FileFunctions.h"
#include "engine/readers/LittleEndian.h"

namespace dropshrink {
namespace {

constexpr std::uint32_t kOs2InfoSize = 12;
// The fields read from each layout end here.
constexpr std::int32_t kOs2FieldsEnd = 12;
constexpr std::int32_t kWindowsFieldsEnd = 20;

}  // namespace

void BmpReader::Reset() {
  progress_ = nullptr;
  file_ = nullptr;
  readingActive_ = 0;
  fileHeader_.fill(0);
  infoLength_ = 0;
  info_.Free();
  path_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  os2_ = -1;
  bottomUp_ = -1;
  compression_ = -1;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int BmpReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  Reset();
  return 1;
}

int BmpReader::Open(const char* path, RasterImage& target, ProgressCallback progress) {
  Close();
  if (path == nullptr || (file_ = std::fopen(path, "rb")) == nullptr || !ParseHeaders()) {
    Close();
    return 0;
  }
  path_.Assign(path);
  progress_ = progress;
  image_ = &target;
  readingActive_ = 1;
  if (bitsPerPixel_ != 24) {
    Close();
    return 0;
  }
  kind_ = os2_ == 1 ? kKindBmpOs2 : kKindBmpWindows;
  return 1;
}

bool BmpReader::ParseHeaders() {
  const std::uint32_t fileLength = FileLength(file_);
  if (std::fread(fileHeader_.data(), fileHeader_.size(), 1, file_) != 1) return false;
  const LittleEndian header(fileHeader_);
  const bool bitmapType = (fileHeader_[0] == 'B' && fileHeader_[1] == 'M') ||
                          (fileHeader_[0] == 'B' && fileHeader_[1] == 'A');
  const std::uint32_t pixelOffset = header.U32(10).value_or(0);
  // The info block lies between the two headers and the pixels, inside the file.
  if (!bitmapType || pixelOffset < kFileHeaderBytes || pixelOffset > fileLength) return false;
  infoLength_ = static_cast<std::int32_t>(pixelOffset - kFileHeaderBytes);
  if (infoLength_ < kOs2FieldsEnd || info_.Allocate(infoLength_) == 0 ||
      std::fseek(file_, kFileHeaderBytes, SEEK_SET) != 0 ||
      std::fread(info_.Data(), static_cast<std::size_t>(infoLength_), 1, file_) != 1) {
    return false;
  }

  const LittleEndian fields(std::span<const std::uint8_t>(info_.Data(), info_.Size()));
  os2_ = fields.U32(0) == kOs2InfoSize ? 1 : 0;
  if (os2_ == 0 && infoLength_ < kWindowsFieldsEnd) return false;
  if (fields.I32(4).value_or(0) < 1 || fields.I32(8).value_or(0) == 0) return false;

  if (os2_ == 1) {
    compression_ = 0;
    width_ = *fields.U16(4);
    height_ = *fields.U16(6);
    bottomUp_ = 1;
    bitsPerPixel_ = *fields.U16(10);
    return true;
  }
  const std::int32_t storedHeight = *fields.I32(8);
  compression_ = static_cast<std::int32_t>(*fields.U32(16));
  if (compression_ < 0 || compression_ > 3 || storedHeight == INT32_MIN) return false;
  width_ = *fields.I32(4);
  height_ = storedHeight < 0 ? -storedHeight : storedHeight;
  bottomUp_ = storedHeight >= 0 ? 1 : 0;
  bitsPerPixel_ = compression_ == 1 ? 8 : compression_ == 2 ? 4 : *fields.U16(14);
  return true;
}

int BmpReader::Read() {
  ByteBuffer row;
  const bool decoded = readingActive_ == 1 && ReadRows(row);
  ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
  Close();
  return decoded ? 1 : 0;
}

bool BmpReader::ReadRows(ByteBuffer& row) {
  // Stored rows are padded to four bytes; counted in 64 bits, as a width near
  // 2^31 would wrap a 32-bit sum.
  const std::uint64_t stored = (static_cast<std::uint64_t>(width_) * 24 + 31) / 32 * 4;
  // A file too short for its rows fails before any store is made for them.
  const std::uint64_t fileLength = FileLength(file_);
  const std::uint64_t pixelOffset = static_cast<std::uint64_t>(infoLength_) + kFileHeaderBytes;
  if (image_ == nullptr || stored > INT32_MAX || pixelOffset > fileLength ||
      stored * static_cast<std::uint64_t>(height_) > fileLength - pixelOffset ||
      !image_->Create(width_, height_, 24, 0) ||
      std::fseek(file_, static_cast<long>(pixelOffset), SEEK_SET) != 0 ||
      row.Allocate(static_cast<std::int32_t>(stored)) == 0) {
    return false;
  }
  for (std::int32_t i = 0; i < height_; ++i) {
    if (std::fread(row.Data(), static_cast<std::size_t>(stored), 1, file_) != 1) return false;
    const std::uint8_t* in = row.Data();
    std::uint8_t* out = image_->Row(bottomUp_ == 1 ? height_ - 1 - i : i);
    for (std::int32_t x = 0; x < width_; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    ReportProgress(progress_, progress_phase::kReading, i, height_);
  }
  return true;
}

}  // namespace dropshrink
