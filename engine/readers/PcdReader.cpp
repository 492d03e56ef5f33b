#include "engine/readers/PcdReader.h"

#include <algorithm>
#include <cmath>

#include "engine/FileFunctions.h"

namespace dropshrink {
namespace {

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

bool PcdReader::ParseHeader() {
  const auto chosen = static_cast<std::size_t>(resolution_);
  if (chosen >= PcdHeader::kBaseImages.size()) return Fail(Failure::InvalidArgument);
  std::array<char, PcdHeader::kSignature.size()> found{};
  if (std::fseek(File(), PcdHeader::kSignatureOffset, SEEK_SET) != 0 ||
      std::fread(found.data(), found.size(), 1, File()) != 1 ||
      std::string_view(found.data(), found.size()) != PcdHeader::kSignature) {
    return false;
  }
  header_.image = PcdHeader::kBaseImages[chosen];
  const std::uint32_t fileLength = FileLength(File());
  if (fileLength < header_.image.offset ||
      fileLength - header_.image.offset < header_.image.Bytes()) {
    return Fail(Failure::Truncated);
  }
  width_ = header_.image.width;
  height_ = header_.image.height;
  kind_ = header_.image.kind;
  return true;
}

bool PcdReader::DecodeRows() {
  if (!CreateTarget(24, 0)) return false;
  for (MappedStore& store : rows_) {
    if (!store.Allocate(static_cast<std::uint32_t>(width_), kTempPrefix, nullptr)) {
      return Fail(store.LastFailure());
    }
  }
  if (std::fseek(File(), header_.image.offset, SEEK_SET) != 0) return Fail(Failure::Truncated);

  auto& [upper, lower, chroma] = rows_;
  const std::int32_t half = width_ / 2;
  for (std::int32_t r = 0; r < height_; r += 2) {
    for (MappedStore* store : {&upper, &lower, &chroma}) {
      if (std::fread(store->Data(), store->Size(), 1, File()) != 1) {
        return Fail(Failure::Truncated);
      }
    }
    for (std::int32_t k = 0; k < 2; ++k) {
      const std::uint8_t* luma = (k == 0 ? upper : lower).Data();
      std::uint8_t* out = Target().Row(r + k);
      for (std::int32_t i = 0; i < width_; ++i, out += 3) {
        const auto rgb = PhotoYccToRgb(luma[i], chroma.Data()[i / 2], chroma.Data()[half + i / 2]);
        std::copy(rgb.begin(), rgb.end(), out);
      }
    }
    RowDone(r);
  }
  return true;
}

void PcdReader::ReleaseFormat() {
  for (MappedStore& store : rows_) store.Free(true);
  header_ = {};
}

}  // namespace dropshrink
