#include "engine/readers/PcxReader.h"

#include <algorithm>
#include <cstring>

#include "engine/FileFunctions.h"
#include "engine/readers/LittleEndian.h"
#include "engine/readers/PcxRunLength.h"

namespace dropshrink {

void PcxReader::Reset() {
  progress_ = nullptr;
  file_ = nullptr;
  readingActive_ = 0;
  header_.fill(0);
  path_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int PcxReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  Reset();
  return 1;
}

int PcxReader::Open(const char* path, RasterImage& target, ProgressCallback progress) {
  Close();
  if (path == nullptr || (file_ = std::fopen(path, "rb")) == nullptr ||
      std::fread(header_.data(), header_.size(), 1, file_) != 1 || header_[0] != 0x0A) {
    Close();
    return 0;
  }
  const LittleEndian fields(header_);
  const std::int32_t spanX = *fields.U16(8) - *fields.U16(4);
  const std::int32_t spanY = *fields.U16(10) - *fields.U16(6);
  width_ = spanX + 1;
  height_ = spanY + 1;
  bitsPerPixel_ = Planes() * header_[3];
  // A 24-bit scan line is split into planes through a buffer of 6 × width
  // bytes; a header whose line or blue plane would not fit it is refused.
  const std::int64_t line = static_cast<std::int64_t>(Planes()) * BytesPerLine();
  const bool planesFit = bitsPerPixel_ != 24 || width_ < 1 ||
                         (line <= 6LL * width_ && 2LL * BytesPerLine() + width_ <= line);
  if (spanX == 0 || spanY == 0 || (bitsPerPixel_ != 8 && bitsPerPixel_ != 24) || !planesFit) {
    Close();
    return 0;
  }
  path_.Assign(path);
  progress_ = progress;
  image_ = &target;
  readingActive_ = 1;
  return 1;
}

int PcxReader::Read() {
  MappedStore data;
  ByteBuffer line;
  const bool decoded = readingActive_ == 1 && DecodeRows(data, line);
  if (decoded) ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
  data.Free(true);
  Close();
  return decoded ? 1 : 0;
}

bool PcxReader::ReadPalette() {
  std::uint8_t colours[kPaletteBytes];
  if (std::fseek(file_, -kPaletteBytes, SEEK_END) != 0 ||
      std::fread(colours, sizeof colours, 1, file_) != 1) {
    return false;
  }
  for (int i = 0; i < 256; ++i) {
    std::memcpy(image_->Palette() + i * ColorTable::kEntryBytes, colours + 3 * i, 3);
  }
  return true;
}

bool PcxReader::DecodeRows(MappedStore& data, ByteBuffer& line) {
  const std::int64_t fileLength = FileLength(file_);
  const bool paletted = bitsPerPixel_ == 8;
  const std::int64_t dataBytes = fileLength - kHeaderBytes - (paletted ? kPaletteBytes : 0);
  const std::int64_t lineBytes = static_cast<std::int64_t>(Planes()) * BytesPerLine();
  // A run of two bytes gives at most 63, a literal byte one, and no run crosses
  // a line: a line needs at least ceil(2L / 63) bytes (a line of 64 takes a run
  // and a literal, 3). Data shorter than that for every line cannot hold the
  // picture, so nothing is made for it.
  const std::int64_t fewestBytes = static_cast<std::int64_t>(height_) * ((2 * lineBytes + 62) / 63);
  if (dataBytes < 1 || lineBytes < 1 || dataBytes < fewestBytes || image_ == nullptr ||
      !data.Allocate(static_cast<std::uint32_t>(dataBytes), kTempPrefix, nullptr) ||
      !image_->Create(width_, height_, bitsPerPixel_, paletted ? 256 : 0) ||
      (paletted && !ReadPalette()) ||
      line.Allocate(static_cast<std::int32_t>(paletted ? lineBytes : 6LL * width_)) == 0 ||
      std::fseek(file_, kHeaderBytes, SEEK_SET) != 0 ||
      std::fread(data.Data(), data.Size(), 1, file_) != 1) {
    return false;
  }
  data.Flush(data.Data(), 0);

  PcxRunLength decoder({data.Data(), data.Size()});
  const std::span<std::uint8_t> scanLine(line.Data(), static_cast<std::size_t>(lineBytes));
  const std::int32_t plane = BytesPerLine();
  for (std::int32_t r = 0; r < height_; ++r) {
    if (!decoder.DecodeLine(scanLine)) return false;
    std::uint8_t* row = image_->Row(r);
    if (paletted) {
      std::memcpy(row, scanLine.data(), std::min<std::int64_t>(width_, lineBytes));
    } else {
      for (std::int32_t j = 0; j < width_; ++j) {
        row[3 * j] = scanLine[j];
        row[3 * j + 1] = scanLine[plane + j];
        row[3 * j + 2] = scanLine[2 * plane + j];
      }
    }
    ReportProgress(progress_, progress_phase::kReading, r, height_);
  }
  return true;
}

}  // namespace dropshrink
