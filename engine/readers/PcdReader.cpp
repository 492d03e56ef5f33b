#include "engine/readers/PcdReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FileFunctions.h"

namespace dropshrink {
namespace {

struct BaseImage {
  std::int32_t width;
  std::int32_t height;
  ImageKind kind;
  long offset;
};

constexpr BaseImage kBaseImages[] = {
    {192, 128, kKindPhotoCd192x128, 0x2000},
    {384, 256, kKindPhotoCd384x256, 0xB800},
    {768, 512, kKindPhotoCd768x512, 0x30000},
};

// Every Photo CD image pack carries this at 0x800; without it a large file of
// another kind would decode as a picture of noise.
constexpr char kSignature[] = "PCD_IPI";
constexpr long kSignatureOffset = 0x800;

const BaseImage* BaseImageOf(ImageKind kind) {
  for (const BaseImage& base : kBaseImages) {
    if (base.kind == kind) return &base;
  }
  return nullptr;
}

bool HasSignature(std::FILE* file) {
  char found[sizeof kSignature - 1];
  return std::fseek(file, kSignatureOffset, SEEK_SET) == 0 &&
         std::fread(found, sizeof found, 1, file) == 1 &&
         std::memcmp(found, kSignature, sizeof found) == 0;
}

std::uint8_t Clamp(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::floor(value), 0.0, 255.0));
}

}  // namespace

std::array<std::uint8_t, 3> PhotoYccToRgb(std::uint8_t luma, std::uint8_t chroma1,
                                          std::uint8_t chroma2) {
  const double y = luma;
  const double c1 = chroma1 - 156;
  const double c2 = chroma2 - 137;
  return {Clamp(1.3230336 * c2 + 0.0000256 * c1 + 1.407488 * y + 0.5),
          Clamp(1.407488 * y - (0.67392 * c2 + 0.3954176 * c1) + 0.5),
          Clamp(0.0000256 * c2 + 2.0360448 * c1 + 1.407488 * y + 0.5)};
}

void PcdReader::Reset() {
  progress_ = nullptr;
  file_ = nullptr;
  readingActive_ = 0;
  path_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int PcdReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  Reset();
  return 1;
}

int PcdReader::Open(const char* path, RasterImage& target, int resolution,
                    ProgressCallback progress) {
  Close();
  const int chosen = resolution & 0xFF;
  if (path == nullptr || chosen > 2 || (file_ = std::fopen(path, "rb")) == nullptr) {
    Close();
    return 0;
  }
  const BaseImage& base = kBaseImages[chosen];
  // Each pair of rows holds two luma rows and one chroma row.
  const std::uint32_t needed =
      static_cast<std::uint32_t>(base.offset) + base.width * base.height * 3 / 2;
  if (FileLength(file_) < needed || !HasSignature(file_)) {
    Close();
    return 0;
  }
  width_ = base.width;
  height_ = base.height;
  kind_ = base.kind;
  bitsPerPixel_ = 24;
  readingActive_ = 1;
  path_.Assign(path);
  progress_ = progress;
  image_ = &target;
  return 1;
}

int PcdReader::Read() {
  std::array<MappedStore, 3> rows;
  const bool decoded = readingActive_ == 1 && DecodeRows(rows);
  ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
  for (MappedStore& store : rows) store.Free(true);
  Close();
  return decoded ? 1 : 0;
}

bool PcdReader::DecodeRows(std::array<MappedStore, 3>& rows) {
  const BaseImage* base = BaseImageOf(kind_);
  if (base == nullptr || image_ == nullptr || !image_->Create(width_, height_, 24, 0)) {
    return false;
  }
  for (MappedStore& store : rows) {
    if (!store.Allocate(static_cast<std::uint32_t>(width_), kTempPrefix, nullptr)) return false;
  }
  if (std::fseek(file_, base->offset, SEEK_SET) != 0) return false;

  auto& [upper, lower, chroma] = rows;
  const std::int32_t half = width_ / 2;
  for (std::int32_t r = 0; r < height_; r += 2) {
    for (MappedStore* store : {&upper, &lower, &chroma}) {
      if (std::fread(store->Data(), store->Size(), 1, file_) != 1) return false;
    }
    for (std::int32_t k = 0; k < 2; ++k) {
      const std::uint8_t* luma = (k == 0 ? upper : lower).Data();
      std::uint8_t* out = image_->Row(r + k);
      for (std::int32_t i = 0; i < width_; ++i, out += 3) {
        const auto rgb = PhotoYccToRgb(luma[i], chroma.Data()[i / 2], chroma.Data()[half + i / 2]);
        std::copy(rgb.begin(), rgb.end(), out);
      }
    }
    ReportProgress(progress_, progress_phase::kReading, r, height_);
  }
  return true;
}

}  // namespace dropshrink
