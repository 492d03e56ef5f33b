#include "engine/readers/PngReader.h"

#include <climits>

namespace dropshrink {
namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kSrgbFileGamma = 0.45455;
constexpr png_byte kGammaChunks[] = "gAMA\0sRGB";

[[noreturn]] void JumpBack(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void ReadFromFile(png_structp png, png_bytep data, png_size_t length) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (length != 0 && std::fread(data, length, 1, file) != 1) {
    png_error(png, "reading png image error");
  }
}

}  // namespace

void PngReader::Reset() {
  progress_ = nullptr;
  file_ = nullptr;
  readingActive_ = 0;
  pngWidth_ = 0;
  pngHeight_ = 0;
  colourType_ = 0;
  bitDepth_ = 0;
  png_ = nullptr;
  info_ = nullptr;
  path_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  paletteEntries_ = 0;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int PngReader::Close() {
  if (png_ != nullptr) png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
  if (file_ != nullptr) std::fclose(file_);
  Reset();
  return 1;
}

int PngReader::Open(const char* path, RasterImage& target, ProgressCallback progress) {
  Close();
  if (path == nullptr || (file_ = std::fopen(path, "rb")) == nullptr || ReadHeader() == 0) {
    Close();
    return 0;
  }
  path_.Assign(path);
  progress_ = progress;
  width_ = static_cast<std::int32_t>(pngWidth_);
  height_ = static_cast<std::int32_t>(pngHeight_);
  image_ = &target;
  return 1;
}

int PngReader::ReadHeader() {
  png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, file_, JumpBack, nullptr);
  if (png_ == nullptr) return 0;
  info_ = png_create_info_struct(png_);
  if (info_ == nullptr) return 0;
  if (setjmp(png_jmpbuf(png_)) != 0) return 0;
  readingActive_ = 1;
  // Only the gamma chunks matter beside the image's own. libpng passes over
  // every other ancillary chunk without storing it, so a text or profile chunk
  // cannot make it allocate what its length field claims.
  png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_AS_DEFAULT, kGammaChunks, 2);
  png_set_read_fn(png_, file_, ReadFromFile);
  png_read_info(png_, info_);
  int depth = 0;
  int colourType = 0;
  png_get_IHDR(png_, info_, &pngWidth_, &pngHeight_, &depth, &colourType, nullptr, nullptr,
               nullptr);
  bitDepth_ = depth;
  colourType_ = colourType;
  if (bitDepth_ > 8 || pngWidth_ > INT32_MAX || pngHeight_ > INT32_MAX) return 0;

  png_set_packing(png_);
  if (colourType_ == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png_, info_, &palette, &entries);
    bitsPerPixel_ = 8;
    kind_ = kKindPngPalette;
    paletteEntries_ = entries;
  } else if ((colourType_ & PNG_COLOR_MASK_COLOR) != 0) {
    const bool alpha = (colourType_ & PNG_COLOR_MASK_ALPHA) != 0;
    bitsPerPixel_ = alpha ? 32 : 24;
    kind_ = alpha ? kKindPngRgbAlpha : kKindPngRgb;
  } else {
    if (bitDepth_ < 8) png_set_expand(png_);
    // Grey with an alpha channel, or low-depth grey whose tRNS the expansion
    // turns into one, would deliver two bytes a pixel: keep only the grey.
    png_set_strip_alpha(png_);
    bitsPerPixel_ = 8;
    kind_ = kKindPngGrey;
  }
  return 1;
}

int PngReader::Read() {
  const int decoded = readingActive_ == 1 && image_ != nullptr ? DecodeRows() : 0;
  ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
  Close();
  return decoded;
}

int PngReader::DecodeRows() {
  RasterImage& target = *image_;
  const bool sameGeometry = target.BitsPerPixel() == bitsPerPixel_ &&
                            target.PaletteEntries() == paletteEntries_ &&
                            target.Width() == width_ && target.Height() == height_;
  if (!sameGeometry && !target.Create(width_, height_, bitsPerPixel_, paletteEntries_)) return 0;
  if (setjmp(png_jmpbuf(png_)) != 0) return 0;

  if (kind_ == kKindPngPalette) {
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png_, info_, &palette, &entries);
    if (entries > 256 || entries > target.PaletteEntries()) return 0;
    for (int i = 0; i < entries; ++i) {
      std::uint8_t* entry = target.Palette() + i * ColorTable::kEntryBytes;
      entry[0] = palette[i].red;
      entry[1] = palette[i].green;
      entry[2] = palette[i].blue;
    }
  }

  double fileGamma = kSrgbFileGamma;
  int intent = 0;
  if (png_get_sRGB(png_, info_, &intent) == 0) png_get_gAMA(png_, info_, &fileGamma);
  png_set_gamma(png_, kScreenGamma, fileGamma);
  png_set_swap_alpha(png_);
  const int passes = png_set_interlace_handling(png_);
  png_read_update_info(png_, info_);
  // Whatever the transformations made of a row, it is never written past the
  // target's row.
  if (png_get_rowbytes(png_, info_) != target.RowBytes()) return 0;

  for (int pass = 0; pass < passes; ++pass) {
    for (std::int32_t i = 0; i < height_; ++i) {
      png_bytep row = target.Row(i);
      png_read_rows(png_, &row, nullptr, 1);
      ReportProgress(progress_, progress_phase::kReading, i, height_);
    }
  }
  png_read_end(png_, info_);
  return 1;
}

}  // namespace dropshrink
