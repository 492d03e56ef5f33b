#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/ImageKind.h"
#include "engine/MappedStore.h"
#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// Red, green, blue of one PhotoYCC pixel: its luma byte and the two chroma
// bytes of its 2 × 2 block.
std::array<std::uint8_t, 3> PhotoYccToRgb(std::uint8_t luma, std::uint8_t chroma1,
                                          std::uint8_t chroma2);

// One uncompressed base image of an image pack: luma rows in pairs, each pair
// followed by one row of chroma shared by its 2 × 2 blocks.
struct PcdBaseImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  ImageKind kind = kKindNone;
  // Where its data starts, from the start of the file.
  std::uint32_t offset = 0;

  // Two luma rows and one chroma row for every pair of rows.
  std::uint32_t Bytes() const {
    return static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) / 2 * 3;
  }
};

inline constexpr PcdBaseImage kPcdBaseOver16{192, 128, kKindPhotoCd192x128, 0x2000};
inline constexpr PcdBaseImage kPcdBaseOver4{384, 256, kKindPhotoCd384x256, 0xB800};
inline constexpr PcdBaseImage kPcdBase{768, 512, kKindPhotoCd768x512, 0x30000};

// What the reader takes from an image pack: its signature, and the base image asked for.
struct PcdHeader {
  // Every image pack carries this; without it a large file of another kind
  // would decode as a picture of noise.
  static constexpr std::uint32_t kSignatureOffset = 0x800;
  static constexpr std::string_view kSignature = "PCD_IPI";
  // By resolution. The larger images of a pack are Huffman-coded and not read.
  static constexpr std::array<PcdBaseImage, 3> kBaseImages = {kPcdBaseOver16, kPcdBaseOver4,
                                                              kPcdBase};

  PcdBaseImage image;
};

// One of the three uncompressed base images of a Kodak Photo CD image pack
// (192 × 128, 384 × 256 or 768 × 512).
class PcdReader : public ReaderSkeleton<PcdReader> {
 public:
  static constexpr std::string_view kFormatName = "Photo CD";

  PcdReader() = default;
  ~PcdReader() { Close(); }

  // resolution 0, 1 or 2 picks the base image; only its low byte counts.
  // Accepts a file with the image pack signature that holds the whole image.
  int Open(const char* path, RasterImage& target, int resolution, ProgressCallback progress) {
    resolution_ = resolution & 0xFF;
    return ReaderSkeleton::Open(path, target, progress);
  }

 private:
  friend class ReaderSkeleton<PcdReader>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat();

  // Set by Open before the skeleton's Close, so ReleaseFormat leaves it.
  int resolution_ = 0;
  PcdHeader header_;
  // The upper luma, lower luma and chroma rows of one pair; they live only during Read.
  std::array<MappedStore, 3> rows_;
};

}  // namespace dropshrink
