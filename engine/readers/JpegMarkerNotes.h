#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "engine/PictureFacts.h"
#include "engine/readers/JpegClientData.h"
#include "engine/readers/JpegIccChunks.h"

namespace dropshrink {

// Reads, as libjpeg meets them, the markers that say how to show the picture: the orientation
// in the first APP1 "Exif" block and the APP2 ICC profile chunks. One marker is read at a time
// and at most one profile's worth of chunks is kept, so a file of many markers costs no memory.
class JpegMarkerNotes {
 public:
  // Before the header is read; the notes must stay where they are until the library is done.
  // `client` becomes the object's client data.
  void Attach(jpeg_decompress_struct& info, JpegClientData& client);
  PictureFacts Facts() const;

 private:
  static boolean ReadMarker(j_decompress_ptr info);

  bool exifSeen_ = false;
  int orientation_ = 1;
  JpegIccChunks icc_;
  std::vector<std::uint8_t> marker_;
};

}  // namespace dropshrink
