#include "engine/readers/PngReader.h"

#include <array>
#include <span>

#include "engine/readers/ExifOrientation.h"

namespace dropshrink {
namespace {

constexpr std::size_t kSignatureBytes = 8;
// The first four signature bytes survive a text-mode transfer that damages the rest.
constexpr std::size_t kSignatureBytesBeforeLineEnds = 4;
constexpr int kMaxPaletteEntries = 256;
constexpr double kScreenGamma = 2.2;
constexpr double kSrgbFileGamma = 0.45455;
// The ancillary chunks read: the gamma chunks, the colour profile and the EXIF block.
constexpr png_byte kChunksRead[] = "gAMA\0sRGB\0iCCP\0eXIf";
constexpr int kChunksReadCount = 4;
// Deflate gives at most 1032 bytes for every byte it reads.
constexpr std::uint64_t kMostDeflateExpansion = 1032;

[[noreturn]] void JumpBack(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

// The program writes no log: libpng's warnings would otherwise go to standard error.
void IgnoreWarning(png_structp, png_const_charp) {}

// Records why the file gave out before libpng jumps back, so the failure is named without
// reading libpng's message.
void ReadFromFile(png_structp png, png_bytep data, png_size_t length) {
  auto* input = static_cast<PngReader::Input*>(png_get_io_ptr(png));
  if (length != 0 && std::fread(data, length, 1, input->file) != 1) {
    input->failure = std::ferror(input->file) != 0 ? Failure::Unreadable : Failure::Truncated;
    png_error(png, "reading png image error");
  }
}

// The file's whole length, in 64 bits; libpng's read position is kept.
std::uint64_t LengthOf(std::FILE* file) {
  const long at = std::ftell(file);
  if (at < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  if (std::fseek(file, at, SEEK_SET) != 0 || end < 0) return 0;
  return static_cast<std::uint64_t>(end);
}

}  // namespace

bool PngReader::ParseHeader() {
  std::array<png_byte, kSignatureBytes> signature{};
  if (std::fread(signature.data(), signature.size(), 1, File()) != 1) return false;
  if (png_sig_cmp(signature.data(), 0, kSignatureBytes) != 0) {
    if (png_sig_cmp(signature.data(), 0, kSignatureBytesBeforeLineEnds) == 0) {
      return Fail(Failure::Corrupt);
    }
    return false;
  }
  input_ = {File(), Failure::None};
  png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &input_, JumpBack, IgnoreWarning);
  if (png_ == nullptr) return Fail(Failure::OutOfMemory);
  info_ = png_create_info_struct(png_);
  if (info_ == nullptr) return Fail(Failure::OutOfMemory);
  if (!ReadInfo()) return false;

  if (header_.bitDepth > PngHeader::kMaxBitDepth) return Fail(Failure::Unsupported);
  // libpng's own default limits, checked here so that the refusal is named.
  if (header_.width > PNG_USER_WIDTH_MAX || header_.height > PNG_USER_HEIGHT_MAX) {
    return Fail(Failure::TooLarge);
  }
  switch (header_.colourType) {
    case PngHeader::ColourType::Palette: {
      png_colorp palette = nullptr;
      int entries = 0;
      png_get_PLTE(png_, info_, &palette, &entries);
      bitsPerPixel_ = 8;
      paletteEntries_ = entries;
      kind_ = kKindPngPalette;
      break;
    }
    case PngHeader::ColourType::Rgb:
      bitsPerPixel_ = 24;
      kind_ = kKindPngRgb;
      break;
    case PngHeader::ColourType::RgbAlpha:
      bitsPerPixel_ = 32;
      kind_ = kKindPngRgbAlpha;
      break;
    case PngHeader::ColourType::Grey:
    case PngHeader::ColourType::GreyAlpha:
      bitsPerPixel_ = 8;
      kind_ = kKindPngGrey;
      break;
  }
  width_ = static_cast<int>(header_.width);
  height_ = static_cast<int>(header_.height);
  return true;
}

bool PngReader::ReadInfo() {
  if (setjmp(png_jmpbuf(png_)) != 0) return FailFromLibpng();
  png_set_sig_bytes(png_, kSignatureBytes);
  // libpng passes over every other ancillary chunk without storing it, and keeps no chunk
  // larger than the largest profile kept, so no length field makes it allocate what it claims.
  // A profile or EXIF block it drops leaves the picture as it is.
  png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_AS_DEFAULT, kChunksRead, kChunksReadCount);
  png_set_chunk_malloc_max(png_, kMaxIccProfileBytes);
  png_set_read_fn(png_, &input_, ReadFromFile);
  // The size limits are checked after the header is read, to name the refusal.
  png_set_user_limits(png_, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(png_, info_);
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
  png_get_IHDR(png_, info_, &header_.width, &header_.height, &bitDepth, &colourType, &interlace,
               nullptr, nullptr);
  // libpng has checked the colour type and interlace method against the ones it knows.
  header_.bitDepth = bitDepth;
  header_.colourType = static_cast<PngHeader::ColourType>(colourType);
  header_.interlace = static_cast<PngHeader::Interlace>(interlace);
  ReadFacts();
  return true;
}

void PngReader::ReadFacts() {
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profileBytes = 0;
  if (png_get_iCCP(png_, info_, &name, &compression, &profile, &profileBytes) != 0 &&
      profile != nullptr && IsWholeIccProfile({profile, profileBytes})) {
    facts_.iccProfile.assign(profile, profile + profileBytes);
  }
  png_bytep exif = nullptr;
  png_uint_32 exifBytes = 0;
  if (png_get_eXIf_1(png_, info_, &exifBytes, &exif) != 0 && exif != nullptr) {
    facts_.orientation = ExifOrientation({exif, exifBytes});
  }
}

bool PngReader::DecodeRows() {
  // The image data holds at least every sample's bits, however the rows are
  // filtered or interlaced; a file too short to inflate to them cannot be
  // complete, so no store is made for it.
  const std::uint64_t sampleBits = std::uint64_t{header_.width} * header_.height *
                                   png_get_channels(png_, info_) *
                                   static_cast<std::uint64_t>(header_.bitDepth);
  if (LengthOf(File()) * kMostDeflateExpansion < (sampleBits + 7) / 8) {
    return Fail(Failure::Truncated);
  }
  if (!CreateTarget(bitsPerPixel_, paletteEntries_)) return false;
  if (header_.colourType == PngHeader::ColourType::Palette) {
    // Copied before any gamma setup, as the PLTE chunk holds it.
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png_, info_, &palette, &entries);
    if (entries > kMaxPaletteEntries || entries > Target().PaletteEntries()) {
      return Fail(Failure::Corrupt);
    }
    for (int i = 0; i < entries; ++i) {
      std::uint8_t* entry = Target().Palette() + i * ColorTable::kEntryBytes;
      entry[0] = palette[i].red;
      entry[1] = palette[i].green;
      entry[2] = palette[i].blue;
    }
  }
  return ReadRows();
}

bool PngReader::ReadRows() {
  if (setjmp(png_jmpbuf(png_)) != 0) return FailFromLibpng();
  png_set_packing(png_);
  const bool grey = header_.colourType == PngHeader::ColourType::Grey ||
                    header_.colourType == PngHeader::ColourType::GreyAlpha;
  if (grey) {
    if (header_.bitDepth < 8) png_set_expand(png_);
    // Grey with an alpha channel, or low-depth grey whose tRNS the expansion
    // turns into one, would deliver two bytes a pixel: keep only the grey.
    png_set_strip_alpha(png_);
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
  if (png_get_rowbytes(png_, info_) != Target().RowBytes()) return Fail(Failure::Unsupported);

  for (int pass = 0; pass < passes; ++pass) {
    for (std::int32_t i = 0; i < height_; ++i) {
      png_bytep row = Target().Row(i);
      png_read_rows(png_, &row, nullptr, 1);
      RowDone(i);
    }
  }
  png_read_end(png_, info_);
  return true;
}

bool PngReader::FailFromLibpng() {
  return Fail(input_.failure != Failure::None ? input_.failure : Failure::Corrupt);
}

void PngReader::ReleaseFormat() {
  if (png_ != nullptr) png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
  png_ = nullptr;
  info_ = nullptr;
  input_ = {};
  header_ = {};
  bitsPerPixel_ = 0;
  paletteEntries_ = 0;
}

}  // namespace dropshrink
