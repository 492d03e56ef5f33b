#include "engine/readers/JpegCodec.h"

#include <cerrno>
#include <csetjmp>

#include <jerror.h>

#include "engine/CheckedSize.h"
#include "engine/OrientedRows.h"
#include "engine/readers/JpegDataBound.h"
#include "platform/files/OutputFile.h"

namespace dropshrink {
namespace {

// libjpeg hands its error manager back to error_exit; what follows it belongs
// to the step that was running. Nothing here has a destructor, since a jump
// leaves the frames between the library and the step without unwinding them.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  void (*libraryEmit)(j_common_ptr, int);
  // The data ended early; the library went on with a made-up end of image.
  bool endReached;
  // A scan needed data that was not there; the library made up zeros for it.
  bool dataMissing;
  // errno when the library gave up, which tells a full disk from other write errors.
  int error;
};

ErrorTrap& TrapOf(j_common_ptr info) {
  return *reinterpret_cast<ErrorTrap*>(info->err);
}

[[noreturn]] void TrapError(j_common_ptr info) {
  ErrorTrap& trap = TrapOf(info);
  trap.error = errno;
  char message[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);
  std::longjmp(trap.jump, 1);
}

// The program writes no log: a conversion's result is its only message.
void DropMessage(j_common_ptr) {}

void NoteMessage(j_common_ptr info, int level) {
  ErrorTrap& trap = TrapOf(info);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) trap.endReached = true;
  if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER) trap.dataMissing = true;
  trap.libraryEmit(info, level);
}

jpeg_error_mgr* Arm(ErrorTrap& trap) {
  jpeg_std_error(&trap.manager);
  trap.libraryEmit = trap.manager.emit_message;
  trap.manager.error_exit = TrapError;
  trap.manager.emit_message = NoteMessage;
  trap.manager.output_message = DropMessage;
  trap.endReached = false;
  trap.dataMissing = false;
  trap.error = 0;
  return &trap.manager;
}

// Why the library gave up, for a file being read.
Failure ReadFailureOf(const ErrorTrap& trap) {
  switch (trap.manager.msg_code) {
    case JERR_OUT_OF_MEMORY:
      return Failure::OutOfMemory;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
      return Failure::TooLarge;
    case JERR_BAD_PRECISION:
    case JERR_NOT_COMPILED:
    case JERR_CONVERSION_NOTIMPL:
      return Failure::Unsupported;
    default:
      return trap.endReached ? Failure::Truncated : Failure::Corrupt;
  }
}

Failure FailureOf(platform::OutputResult result) {
  switch (result) {
    case platform::OutputResult::Ok:
      return Failure::None;
    case platform::OutputResult::DiskFull:
      return Failure::DiskFull;
    case platform::OutputResult::NotWritable:
      break;
  }
  return Failure::DestinationNotWritable;
}

// Why the library gave up, for a file being written.
Failure WriteFailureOf(const ErrorTrap& trap) {
  switch (trap.manager.msg_code) {
    case JERR_FILE_WRITE:
      return FailureOf(platform::OutputResultOf(trap.error));
    case JERR_OUT_OF_MEMORY:
      return Failure::OutOfMemory;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
      return Failure::TooLarge;
    default:
      return Failure::InvalidArgument;
  }
}

struct Encoding {
  int quality;
  bool colour;
  int optimizeCoding;
  int smoothing;
  const PictureFacts& facts;
};

// Encodes `source` (24-bit for colour, 8-bit grey otherwise) into `out`. Owns the
// libjpeg object from creation to destruction, so the jump back lands here.
Failure Compress(std::FILE* out, const RasterImage& source, const Encoding& encoding,
                 ProgressCallback progress) {
  jpeg_compress_struct compressor{};
  ErrorTrap trap;
  // Made before the jump point, so a jump back leaves no destructor skipped.
  OrientedRows upright(source, encoding.facts.orientation);
  JpegBlockArrays blockArrays;
  JpegClientData client;
  compressor.err = Arm(trap);
  if (setjmp(trap.jump) != 0) {
    // Destroying frees only what creation made, so it is safe at any point.
    jpeg_destroy_compress(&compressor);
    return WriteFailureOf(trap);
  }
  jpeg_create_compress(&compressor);
  blockArrays.Install(reinterpret_cast<j_common_ptr>(&compressor), client);
  jpeg_stdio_dest(&compressor, out);
  compressor.image_width = static_cast<JDIMENSION>(upright.Width());
  compressor.image_height = static_cast<JDIMENSION>(upright.Height());
  compressor.input_components = encoding.colour ? 3 : 1;
  compressor.in_color_space = encoding.colour ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compressor);
  compressor.optimize_coding = static_cast<boolean>(encoding.optimizeCoding);
  compressor.smoothing_factor = encoding.smoothing;
  jpeg_set_quality(&compressor, encoding.quality, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  const std::vector<std::uint8_t>& profile = encoding.facts.iccProfile;
  if (!profile.empty()) {
    jpeg_write_icc_profile(&compressor, profile.data(), static_cast<unsigned>(profile.size()));
  }
  while (compressor.next_scanline < compressor.image_height) {
    const auto row = static_cast<int>(compressor.next_scanline);
    // The library only reads the rows it is given.
    JSAMPROW rows[1] = {const_cast<JSAMPROW>(upright.Row(row))};
    jpeg_write_scanlines(&compressor, rows, 1);
    ReportProgress(progress, progress_phase::kWriting, row, upright.Height());
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  return Failure::None;
}

// Encodes `image`, first converting it when its depth is not the one the
// library takes for this colour mode.
Failure Encode(std::FILE* out, const RasterImage& image, const Encoding& encoding,
               ProgressCallback progress) {
  const bool usable = encoding.colour ? image.BitsPerPixel() == 24
                                      : image.BitsPerPixel() == 8 && image.PaletteEntries() == 0;
  if (usable) return Compress(out, image, encoding, progress);
  RasterImage conv;
  if (!image.ConvertTo(conv, encoding.colour ? 24 : 8, 0)) {
    // A failed Create says why; no reason means a depth the conversion does not take.
    return conv.LastFailure() == Failure::None ? Failure::Unsupported : conv.LastFailure();
  }
  const Failure failure = Compress(out, conv, encoding, progress);
  conv.Release();
  return failure;
}

// Why a header is refused before decoding starts: a picture no store can hold, or a file too
// short for the data its frame declares. Checked before the library allocates for the frame.
Failure HeaderFailure(const jpeg_decompress_struct& info, std::FILE* file) {
  const int components = info.out_color_components;
  // CMYK and YCCK come out as four components.
  if (components != 1 && components != 3) return Failure::Unsupported;
  if (!CheckedPixelBytes(info.output_width, info.output_height, components)) {
    return Failure::TooLarge;
  }
  if (MinimumCodedBytes(info) > BytesNotYetRead(info, file)) return Failure::Truncated;
  return Failure::None;
}

}  // namespace

JpegCodec::JpegCodec() {
  jpeg_std_error(&idleErrors_);
  idleErrors_.output_message = DropMessage;
}

Failure JpegCodec::DataFailure(bool endReached, bool dataMissing) {
  endReached_ = endReached_ || endReached;
  if (dataMissing) return endReached_ ? Failure::Truncated : Failure::Corrupt;
  // A Huffman-coded file may lack its end marker alone: the library then reports every bit it
  // needed. An arithmetic coder may end its data early and read zeros from the marker on, so there
  // a missing marker cannot be told from missing data, and the file must be whole.
  if (endReached_ && (decompressor_.arith_code || !scanWatch_.AllCoded(decompressor_))) {
    return Failure::Truncated;
  }
  return Failure::None;
}

void JpegCodec::ReleaseFormat() {
  // Destroying frees only what creation made: harmless on a zeroed or destroyed object.
  decompressor_.err = &idleErrors_;
  jpeg_destroy_decompress(&decompressor_);
  blockArrays_.Release();
}

bool JpegCodec::ParseHeader() {
  unsigned char marker[2];
  if (std::fread(marker, sizeof marker, 1, File()) != 1 || marker[0] != 0xFF || marker[1] != 0xD8) {
    return false;
  }
  if (std::fseek(File(), 0, SEEK_SET) != 0) return Fail(Failure::Unreadable);
  endReached_ = false;
  scanWatch_ = {};

  ErrorTrap trap;
  decompressor_.err = Arm(trap);
  if (setjmp(trap.jump) != 0) {
    decompressor_.err = &idleErrors_;
    return Fail(scanWatch_.tooMuchWork ? Failure::Unsupported : ReadFailureOf(trap));
  }
  jpeg_create_decompress(&decompressor_);
  markerNotes_.Attach(decompressor_, client_);
  blockArrays_.Install(reinterpret_cast<j_common_ptr>(&decompressor_), client_);
  jpeg_stdio_src(&decompressor_, File());
  jpeg_read_header(&decompressor_, TRUE);
  jpeg_calc_output_dimensions(&decompressor_);
  const Failure refusal = HeaderFailure(decompressor_, File());
  if (refusal == Failure::None) {
    scanWatch_.Attach(decompressor_);
    // Reads every scan of a multi-scan file.
    jpeg_start_decompress(&decompressor_);
  }
  decompressor_.err = &idleErrors_;
  if (refusal != Failure::None) return Fail(refusal);
  const Failure data = DataFailure(trap.endReached, trap.dataMissing);
  if (data != Failure::None) return Fail(data);
  if (decompressor_.output_width == 0 || decompressor_.output_height == 0) {
    return Fail(Failure::Corrupt);
  }
  width_ = static_cast<int>(decompressor_.output_width);
  height_ = static_cast<int>(decompressor_.output_height);
  kind_ = decompressor_.out_color_components == 3 ? kKindJpegColor : kKindJpegGrey;
  facts_ = markerNotes_.Facts();
  return true;
}

bool JpegCodec::DecodeRows() {
  if (!CreateTarget(kind_ == kKindJpegColor ? 24 : 8, 0)) return false;
  ErrorTrap trap;
  decompressor_.err = Arm(trap);
  if (setjmp(trap.jump) != 0) {
    decompressor_.err = &idleErrors_;
    return Fail(scanWatch_.tooMuchWork ? Failure::Unsupported : ReadFailureOf(trap));
  }
  // Rows after missing data would be made up; the read fails without decoding them.
  while (decompressor_.output_scanline < decompressor_.output_height && !trap.dataMissing) {
    const auto row = static_cast<int>(decompressor_.output_scanline);
    JSAMPROW rows[1] = {Target().Row(row)};
    jpeg_read_scanlines(&decompressor_, rows, 1);
    RowDone(row);
  }
  decompressor_.err = &idleErrors_;
  const Failure data = DataFailure(trap.endReached, trap.dataMissing);
  return data == Failure::None || Fail(data);
}

int JpegCodec::Write(const char* path, const RasterImage& image, int quality, int colour,
                     int optimizeCoding, int smoothing, ProgressCallback progress) {
  return Write(path, image, quality, colour, optimizeCoding, smoothing, PictureFacts{}, progress);
}

int JpegCodec::Write(const char* path, const RasterImage& image, int quality, int colour,
                     int optimizeCoding, int smoothing, const PictureFacts& facts,
                     ProgressCallback progress) {
  Close();
  const Encoding encoding{quality, colour == 1, optimizeCoding, smoothing, facts};
  // The rows the closing progress report speaks of: none when encoding never started.
  int height = 0;
  Failure failure = Failure::None;
  platform::OutputFile output;
  if (path == nullptr || quality < 1 || quality > 100 || smoothing < 0 || smoothing > 100 ||
      image.Width() < 1 || image.Height() < 1) {
    failure = Failure::InvalidArgument;
  } else {
    failure = FailureOf(output.Open(path));
  }
  if (failure == Failure::None) {
    height = image.Height();
    failure = Encode(output.Stream(), image, encoding, progress);
  }
  ReportProgress(progress, progress_phase::kWriting, height - 1, height);
  if (failure == Failure::None) failure = FailureOf(output.Commit());
  // Kept where LastFailure reads it, as for a read.
  Fail(failure);
  return failure == Failure::None ? 1 : 0;
}

}  // namespace dropshrink
