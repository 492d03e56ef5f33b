#include "engine/readers/TiffReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <optional>

#include "engine/CheckedSize.h"
#include "engine/readers/ByteCursor.h"
#include "engine/readers/TiffColourMap.h"

namespace dropshrink {
namespace {

constexpr std::size_t kSignatureBytes = 4;
// The byte-order mark reads the same either way round.
constexpr std::uint16_t kLittleEndianMark = 0x4949;  // "II"
constexpr std::uint16_t kBigEndianMark = 0x4D4D;     // "MM"
constexpr std::uint16_t kClassicVersion = 42;
constexpr std::uint16_t kBigVersion = 43;

// libtiff reports through process-wide handlers; with none it says nothing.
void SilenceLibtiff() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

TiffReader::Input& InputOf(thandle_t handle) {
  return *static_cast<TiffReader::Input*>(handle);
}

// Records why the file gave out, so a failed libtiff call is named without reading its message.
tmsize_t ReadFromFile(thandle_t handle, void* data, tmsize_t size) {
  TiffReader::Input& input = InputOf(handle);
  if (size <= 0) return 0;
  const std::size_t wanted = static_cast<std::size_t>(size);
  const std::size_t got = std::fread(data, 1, wanted, input.file);
  if (got < wanted) {
    input.failure = std::ferror(input.file) != 0 ? Failure::Unreadable : Failure::Truncated;
  }
  return static_cast<tmsize_t>(got);
}

tmsize_t RefuseWrite(thandle_t, void*, tmsize_t) {
  return 0;
}

toff_t SeekInFile(thandle_t handle, toff_t offset, int whence) {
  std::FILE* file = InputOf(handle).file;
  if (std::fseek(file, static_cast<long>(offset), whence) != 0) return static_cast<toff_t>(-1);
  const long at = std::ftell(file);
  return at < 0 ? static_cast<toff_t>(-1) : static_cast<toff_t>(at);
}

// The reader closes the file it owns.
int LeaveOpen(thandle_t) {
  return 0;
}

toff_t LengthOfFile(thandle_t handle) {
  return InputOf(handle).length;
}

std::uint64_t LengthOf(std::FILE* file) {
  std::uint64_t length = 0;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long end = std::ftell(file);
    if (end > 0) length = static_cast<std::uint64_t>(end);
  }
  std::fseek(file, 0, SEEK_SET);
  return length;
}

std::uint16_t Swapped(std::uint16_t value) {
  return static_cast<std::uint16_t>(value << 8 | value >> 8);
}

// The most bytes a chunk of `stored` coded bytes can decode to in a complete, valid file; none
// when the coding has no useful bound. JPEG may be arithmetic-coded (less than a bit a block),
// CCITT fax codes a white line in a few bits, and ThunderScan, NeXT and SGILog runs are long.
std::optional<std::uint64_t> MostDecodedBytes(std::uint16_t compression, std::uint64_t stored) {
  switch (compression) {
    case COMPRESSION_NONE:
      return stored;
    // A two-byte run repeats its byte at most 128 times.
    case COMPRESSION_PACKBITS:
      return 64 * stored;
    // Every code takes at least 9 bits and gives at most a table's length, 4096 bytes.
    case COMPRESSION_LZW:
      return 4096 * stored;
    // Deflate expands at most 1032 : 1.
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
      return 1032 * stored;
    default:
      return std::nullopt;
  }
}

// The orientation to ask libtiff's RGBA interface for so that it flips nothing. It pairs each
// orientation that swaps width and height with one that does not, and flips between the pairs.
std::uint16_t StoredOrder(int orientation) {
  switch (orientation) {
    case ORIENTATION_TOPRIGHT:
    case ORIENTATION_RIGHTTOP:
      return ORIENTATION_TOPRIGHT;
    case ORIENTATION_BOTRIGHT:
    case ORIENTATION_RIGHTBOT:
      return ORIENTATION_BOTRIGHT;
    case ORIENTATION_BOTLEFT:
    case ORIENTATION_LEFTBOT:
      return ORIENTATION_BOTLEFT;
    default:
      return ORIENTATION_TOPLEFT;
  }
}

PictureFacts FactsOf(TIFF* tiff) {
  PictureFacts facts;
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
  // TIFF numbers its orientations as EXIF does.
  if (orientation >= ORIENTATION_TOPLEFT && orientation <= ORIENTATION_LEFTBOT) {
    facts.orientation = orientation;
  }
  std::uint32_t profileBytes = 0;
  const std::uint8_t* profile = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileBytes, &profile) == 1 && profile != nullptr &&
      IsWholeIccProfile({profile, profileBytes})) {
    facts.iccProfile.assign(profile, profile + profileBytes);
  }
  return facts;
}

}  // namespace

bool TiffReader::ParseHeader() {
  SilenceLibtiff();
  std::array<std::uint8_t, kSignatureBytes> signature{};
  if (std::fread(signature.data(), signature.size(), 1, File()) != 1) return false;
  ByteCursor cursor(signature);
  const std::uint16_t mark = cursor.U16();
  const std::uint16_t storedVersion = cursor.U16();
  if (mark != kLittleEndianMark && mark != kBigEndianMark) return false;
  header_.byteOrder = mark == kLittleEndianMark ? TiffHeader::ByteOrder::LittleEndian
                                                : TiffHeader::ByteOrder::BigEndian;
  const std::uint16_t version = header_.byteOrder == TiffHeader::ByteOrder::LittleEndian
                                    ? storedVersion
                                    : Swapped(storedVersion);
  if (version != kClassicVersion && version != kBigVersion) return false;
  header_.version =
      version == kClassicVersion ? TiffHeader::Version::Classic : TiffHeader::Version::Big;

  input_ = {File(), LengthOf(File()), Failure::None};
  if (const Failure colours = PaletteColoursFailure(
          File(), input_.length, header_.byteOrder == TiffHeader::ByteOrder::BigEndian,
          header_.version == TiffHeader::Version::Big);
      colours != Failure::None) {
    return Fail(colours);
  }
  if (std::fseek(File(), 0, SEEK_SET) != 0) return Fail(Failure::Unreadable);
  // "m": the file is read through the procedures, never mapped.
  tiff_ = TIFFClientOpen("", "rm", &input_, ReadFromFile, RefuseWrite, SeekInFile, LeaveOpen,
                         LengthOfFile, nullptr, nullptr);
  if (tiff_ == nullptr) return FailFromLibtiff();

  // A missing tag leaves 0.
  TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &header_.width);
  TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &header_.length);
  header_.layout = TIFFIsTiled(tiff_) ? TiffHeader::Layout::Tiles : TiffHeader::Layout::Strips;
  header_.chunkBytes =
      header_.layout == TiffHeader::Layout::Tiles ? TIFFTileSize64(tiff_) : TIFFStripSize64(tiff_);
  std::uint16_t planar = PLANARCONFIG_CONTIG;
  std::uint16_t samples = 1;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLESPERPIXEL, &samples);
  // Separate planes: libtiff holds one strip or tile of every plane at once.
  const std::uint64_t buffers =
      planar == PLANARCONFIG_SEPARATE ? std::max<std::uint16_t>(samples, 1) : 1;
  if (header_.width < 1 || header_.length < 1) return Fail(Failure::Corrupt);
  // The RGBA raster must fit in one store, and the picture in a RasterImage.
  // libtiff decodes one strip or tile at a time (one of each plane, for
  // separate planes) into buffers it allocates, sized by the samples per pixel
  // the file claims: together they too must fit in 32 bits.
  if (header_.width > INT32_MAX || header_.length > INT32_MAX ||
      !CheckedPixelBytes(header_.width, header_.length, 4) ||
      header_.chunkBytes > UINT32_MAX / buffers) {
    return Fail(Failure::TooLarge);
  }
  width_ = static_cast<int>(header_.width);
  height_ = static_cast<int>(header_.length);
  kind_ = kKindTiff;
  facts_ = FactsOf(tiff_);
  return true;
}

bool TiffReader::DecodeRows() {
  // Photometric interpretations and sample layouts the RGBA interface cannot read.
  std::array<char, 1024> why{};
  if (TIFFRGBAImageOK(tiff_, why.data()) == 0) return Fail(Failure::Unsupported);
  if (!ChunksFitTheFile()) return false;
  if (!CreateTarget(24, 0)) return false;
  if (const int samples = PlainSamples(); samples != 0) {
    return TIFFIsTiled(tiff_) ? DecodePlainTiles(samples) : DecodePlainStrips(samples);
  }
  MappedStore raster;
  const bool decoded = DecodeRaster(raster);
  raster.Free(true);
  return decoded;
}

std::uint32_t TiffReader::RowsPerStrip() const {
  std::uint32_t rowsPerStrip = header_.length;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  return std::clamp<std::uint32_t>(rowsPerStrip, 1, header_.length);
}

bool TiffReader::ChunksFitTheFile() {
  const std::uint64_t chunks =
      TIFFIsTiled(tiff_) ? TIFFNumberOfTiles(tiff_) : TIFFNumberOfStrips(tiff_);
  // Each chunk has an offset of at least two bytes in the file, bar the few
  // that fit in the directory entry itself; this also bounds the loop below.
  if (chunks == 0 || chunks > input_.length / 2 + 4) return Fail(Failure::Truncated);
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_COMPRESSION, &compression);
  const std::uint32_t rowsPerStrip = RowsPerStrip();
  const std::uint32_t stripsPerPlane = (header_.length - 1) / rowsPerStrip + 1;
  for (std::uint32_t i = 0; i < chunks; ++i) {
    const std::uint64_t offset = TIFFGetStrileOffset(tiff_, i);
    const std::uint64_t stored = TIFFGetStrileByteCount(tiff_, i);
    if (offset > input_.length || stored > input_.length - offset) {
      return Fail(Failure::Truncated);
    }
    std::uint64_t decoded = header_.chunkBytes;
    if (!TIFFIsTiled(tiff_)) {
      const std::uint32_t firstRow = i % stripsPerPlane * rowsPerStrip;
      decoded = TIFFVStripSize64(tiff_, std::min(rowsPerStrip, header_.length - firstRow));
    }
    const std::optional<std::uint64_t> most = MostDecodedBytes(compression, stored);
    if (most && *most < decoded) return Fail(Failure::Truncated);
  }
  return true;
}

bool TiffReader::DecodeRaster(MappedStore& raster) {
  const std::int32_t width = width_;
  const std::int32_t height = height_;
  const std::uint32_t rowBytes = header_.width * 4;
  if (!raster.Allocate(*CheckedPixelBytes(width, height, 4), kTempPrefix, nullptr)) {
    return Fail(raster.LastFailure());
  }
  // Asked for in the file's own orientation, the raster holds the rows as stored, top first:
  // turning the picture upright is left to the writer, which knows all eight orientations.
  if (TIFFReadRGBAImageOriented(tiff_, header_.width, header_.length,
                                reinterpret_cast<std::uint32_t*>(raster.Data()),
                                StoredOrder(facts_.orientation), 1) == 0) {
    return FailFromLibtiff();
  }
  for (std::int32_t r = 0; r < height; ++r) {
    const std::uint8_t* in = raster.Data() + static_cast<std::size_t>(r) * rowBytes;
    std::uint8_t* out = Target().Row(r);
    for (std::int32_t j = 0; j < width; ++j, in += 4, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
    RowDone(r);
  }
  return true;
}

bool TiffReader::FailFromLibtiff() {
  return Fail(input_.failure != Failure::None ? input_.failure : Failure::Corrupt);
}

void TiffReader::ReleaseFormat() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
  tiff_ = nullptr;
  input_ = {};
  header_ = {};
}

}  // namespace dropshrink
