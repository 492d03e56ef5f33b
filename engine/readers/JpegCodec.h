#pragma once

#include <cstdio>

#include <jpeglib.h>

#include "engine/ImageKind.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// Reads JPEG files into RasterImages and writes RasterImages as baseline JFIF
// files, through libjpeg. A libjpeg error lands in the failure path of the
// operation that was running, and its message is dropped.
class JpegCodec {
 public:
  JpegCodec() { Reset(); }
  JpegCodec(const JpegCodec&) = delete;
  JpegCodec& operator=(const JpegCodec&) = delete;
  ~JpegCodec() { Close(); }

  // Reader: 1 when the file is a JPEG that decodes to one or three components.
  int Open(const char* path, RasterImage& target, ProgressCallback progress);
  int Read();

  // Writes the whole image or nothing: the stream goes to a temporary file in
  // the destination's folder, renamed over the destination once complete.
  // colour 1 writes three components, any other value one (grey).
  int Write(const char* path, const RasterImage& image, int quality, int colour, int optimizeCoding,
            int smoothing, ProgressCallback progress);

  int Close();
  void Reset();

  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int StartDecompress();
  int DecompressRows();
  int Compress(const RasterImage& source, int optimizeCoding, int smoothing);
  bool OpenDestination(const char* path);
  bool CommitDestination();

  ProgressCallback progress_;
  std::FILE* file_;
  int readingActive_;
  int writingActive_;
  jpeg_decompress_struct decompressor_;
  jpeg_compress_struct compressor_;
  // Stands in for an operation's error trap once the operation has returned.
  jpeg_error_mgr idleErrors_;
  int quality_;
  TextBuffer path_;
  // While writing: the file the stream goes to until it is complete.
  TextBuffer partialPath_;
  int bitsPerPixel_;
  ImageKind kind_;
  int width_;
  int height_;
  RasterImage* image_;
};

}  // namespace dropshrink
