#pragma once

#include <string_view>

#include <jpeglib.h>

#include "engine/readers/JpegBlockArrays.h"
#include "engine/readers/JpegClientData.h"
#include "engine/readers/JpegMarkerNotes.h"
#include "engine/readers/JpegScanWatch.h"
#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// Reads JPEG files into RasterImages and writes RasterImages as baseline JFIF
// files, through libjpeg. A libjpeg error lands in the failure path of the
// step that was running, and its message is dropped. LastFailure tells why the
// last Open, Read or Write failed.
class JpegCodec : public ReaderSkeleton<JpegCodec> {
 public:
  static constexpr std::string_view kFormatName = "JPEG";

  JpegCodec();
  ~JpegCodec() { Close(); }

  // Writes the whole image or nothing: the stream goes to a temporary file in
  // the destination's folder, renamed over the destination once complete.
  // colour 1 writes three components, any other value one (grey).
  int Write(const char* path, const RasterImage& image, int quality, int colour, int optimizeCoding,
            int smoothing, ProgressCallback progress);
  // The same, with the picture turned upright as `facts` say and their colour profile embedded.
  int Write(const char* path, const RasterImage& image, int quality, int colour, int optimizeCoding,
            int smoothing, const PictureFacts& facts, ProgressCallback progress);

 private:
  friend class ReaderSkeleton<JpegCodec>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat();
  // Why the data read so far fails, noted by the step that read it; None when it does not.
  Failure DataFailure(bool endReached, bool dataMissing);

  jpeg_decompress_struct decompressor_{};
  // Stands in for a step's error trap once the step has returned.
  jpeg_error_mgr idleErrors_{};
  JpegScanWatch scanWatch_{};
  JpegMarkerNotes markerNotes_;
  JpegBlockArrays blockArrays_;
  JpegClientData client_;
  // The file ended before the library read its end marker, in any step so far.
  bool endReached_ = false;
};

}  // namespace dropshrink
