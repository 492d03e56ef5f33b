#include "engine/readers/JpegCodec.h"

#include <csetjmp>
#include <cstring>
#include <string>

#include "engine/CheckedSize.h"
#include "engine/FileFunctions.h"
#include "platform/files/Files.h"

namespace dropshrink {
namespace {

// libjpeg hands its error manager back to error_exit; the jump buffer beside it
// belongs to the operation that was running.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void TrapError(j_common_ptr info) {
  char message[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);
  std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

jpeg_error_mgr* Arm(ErrorTrap& trap) {
  jpeg_std_error(&trap.manager);
  trap.manager.error_exit = TrapError;
  return &trap.manager;
}

constexpr char kPartialPrefix[] = ".dropshrink-";

std::string FolderOf(const char* path) {
  const char* slash = std::strrchr(path, platform::kPathSeparator);
  if (slash == nullptr) return ".";
  if (slash == path) return std::string(1, platform::kPathSeparator);
  return std::string(path, slash);
}

}  // namespace

void JpegCodec::Reset() {
  progress_ = nullptr;
  file_ = nullptr;
  readingActive_ = 0;
  writingActive_ = 0;
  std::memset(&decompressor_, 0, sizeof decompressor_);
  std::memset(&compressor_, 0, sizeof compressor_);
  jpeg_std_error(&idleErrors_);
  quality_ = 100;
  path_.Free();
  partialPath_.Free();
  bitsPerPixel_ = 0;
  kind_ = kKindNone;
  width_ = 0;
  height_ = 0;
  image_ = nullptr;
}

int JpegCodec::Close() {
  if (file_ != nullptr) std::fclose(file_);
  if (!partialPath_.Empty()) DeleteFileIfExists(partialPath_);
  if (readingActive_ == 1) {
    decompressor_.err = &idleErrors_;
    jpeg_destroy_decompress(&decompressor_);
  } else if (writingActive_ == 1) {
    compressor_.err = &idleErrors_;
    jpeg_destroy_compress(&compressor_);
  }
  Reset();
  return 1;
}

int JpegCodec::Open(const char* path, RasterImage& target, ProgressCallback progress) {
  Close();
  if (path == nullptr) return 0;
  file_ = std::fopen(path, "rb");
  unsigned char marker[2];
  if (file_ == nullptr || std::fread(marker, sizeof marker, 1, file_) != 1 || marker[0] != 0xFF ||
      marker[1] != 0xD8 || std::fseek(file_, 0, SEEK_SET) != 0 || StartDecompress() == 0) {
    Close();
    return 0;
  }
  width_ = static_cast<int>(decompressor_.output_width);
  height_ = static_cast<int>(decompressor_.output_height);
  kind_ = decompressor_.out_color_components == 3 ? kKindJpegColor : kKindJpegGrey;
  path_.Assign(path);
  progress_ = progress;
  image_ = &target;
  return 1;
}

int JpegCodec::StartDecompress() {
  ErrorTrap trap;
  decompressor_.err = Arm(trap);
  readingActive_ = 1;
  if (setjmp(trap.jump) != 0) {
    decompressor_.err = &idleErrors_;
    return 0;
  }
  jpeg_create_decompress(&decompressor_);
  jpeg_stdio_src(&decompressor_, file_);
  jpeg_read_header(&decompressor_, TRUE);
  // A picture that no RasterImage can hold is refused before the decoder
  // allocates its buffers for it.
  const bool fits =
      CheckedPixelBytes(decompressor_.image_width, decompressor_.image_height, 3).has_value();
  if (fits) jpeg_start_decompress(&decompressor_);
  decompressor_.err = &idleErrors_;
  const int components = decompressor_.out_color_components;
  return fits && decompressor_.output_width != 0 && decompressor_.output_height != 0 &&
                 (components == 1 || components == 3)
             ? 1
             : 0;
}

int JpegCodec::Read() {
  const int decoded = readingActive_ == 1 ? DecompressRows() : 0;
  if (decoded == 0 && image_ != nullptr) image_->Release();
  ReportProgress(progress_, progress_phase::kReading, height_ - 1, height_);
  Close();
  return decoded;
}

int JpegCodec::DecompressRows() {
  if (image_ == nullptr || !image_->Create(width_, height_, kind_ == kKindJpegColor ? 24 : 8, 0)) {
    return 0;
  }
  ErrorTrap trap;
  decompressor_.err = Arm(trap);
  if (setjmp(trap.jump) != 0) {
    decompressor_.err = &idleErrors_;
    return 0;
  }
  while (decompressor_.output_scanline < decompressor_.output_height) {
    const auto row = static_cast<int>(decompressor_.output_scanline);
    JSAMPROW rows[1] = {image_->Row(row)};
    jpeg_read_scanlines(&decompressor_, rows, 1);
    ReportProgress(progress_, progress_phase::kReading, row, height_);
  }
  decompressor_.err = &idleErrors_;
  return 1;
}

int JpegCodec::Write(const char* path, const RasterImage& image, int quality, int colour,
                     int optimizeCoding, int smoothing, ProgressCallback progress) {
  RasterImage conv;
  Close();
  int written = 0;
  if (path != nullptr && quality >= 1 && quality <= 100 && image.Width() >= 1 &&
      image.Height() >= 1 && smoothing >= 0 && smoothing <= 100 && OpenDestination(path)) {
    progress_ = progress;
    path_.Assign(path);
    quality_ = quality;
    const bool colourOut = colour == 1;
    bitsPerPixel_ = colourOut ? 24 : 8;
    kind_ = colourOut ? kKindJpegColor : kKindJpegGrey;
    width_ = image.Width();
    height_ = image.Height();

    const bool usable = colourOut ? image.BitsPerPixel() == 24
                                  : image.BitsPerPixel() == 8 && image.PaletteEntries() == 0;
    if (usable) {
      written = Compress(image, optimizeCoding, smoothing);
    } else if (image.ConvertTo(conv, bitsPerPixel_, 0)) {
      written = Compress(conv, optimizeCoding, smoothing);
    }
  }
  conv.Release();
  ReportProgress(progress, progress_phase::kWriting, height_ - 1, height_);
  if (written == 1 && !CommitDestination()) written = 0;
  Close();
  return written;
}

int JpegCodec::Compress(const RasterImage& source, int optimizeCoding, int smoothing) {
  ErrorTrap trap;
  compressor_.err = Arm(trap);
  if (setjmp(trap.jump) != 0) {
    compressor_.err = &idleErrors_;
    return 0;
  }
  jpeg_create_compress(&compressor_);
  writingActive_ = 1;
  jpeg_stdio_dest(&compressor_, file_);
  compressor_.image_width = static_cast<JDIMENSION>(width_);
  compressor_.image_height = static_cast<JDIMENSION>(height_);
  compressor_.input_components = kind_ == kKindJpegColor ? 3 : 1;
  compressor_.in_color_space = kind_ == kKindJpegColor ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compressor_);
  compressor_.optimize_coding = static_cast<boolean>(optimizeCoding);
  compressor_.smoothing_factor = smoothing;
  jpeg_set_quality(&compressor_, quality_, TRUE);
  jpeg_start_compress(&compressor_, TRUE);
  while (compressor_.next_scanline < compressor_.image_height) {
    const auto row = static_cast<int>(compressor_.next_scanline);
    JSAMPROW rows[1] = {source.Row(row)};
    jpeg_write_scanlines(&compressor_, rows, 1);
    ReportProgress(progress_, progress_phase::kWriting, row, height_);
  }
  jpeg_finish_compress(&compressor_);
  compressor_.err = &idleErrors_;
  return 1;
}

bool JpegCodec::OpenDestination(const char* path) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (!MakeTempFileName(partialPath_, kPartialPrefix, FolderOf(path).c_str())) return false;
    // "x": created only if no file of that name exists, so a name another
    // writer took in the meantime is never shared.
    file_ = std::fopen(partialPath_.Text(), "wbx");
    if (file_ != nullptr) return true;
    if (!FileExists(partialPath_)) break;
  }
  partialPath_.Free();
  return false;
}

bool JpegCodec::CommitDestination() {
  const bool flushed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !platform::ReplaceFile(partialPath_.Text(), path_.Text())) return false;
  partialPath_.Free();
  return true;
}

}  // namespace dropshrink
