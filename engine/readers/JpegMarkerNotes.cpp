#include "engine/readers/JpegMarkerNotes.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "engine/readers/ExifOrientation.h"

namespace dropshrink {
namespace {

constexpr char kExifSignature[] = "Exif\0";  // and the string's own closing zero
constexpr std::size_t kExifSignatureBytes = sizeof kExifSignature;

// Takes `count` bytes from the library's source. The file source never suspends: at the end of
// the file it supplies an end marker, so a cut marker reads as filler, not past any buffer.
bool TakeBytes(j_decompress_ptr info, std::uint8_t* out, std::size_t count) {
  jpeg_source_mgr& source = *info->src;
  while (count > 0) {
    if (source.bytes_in_buffer == 0 && !(*source.fill_input_buffer)(info)) return false;
    const std::size_t take = std::min(count, source.bytes_in_buffer);
    std::memcpy(out, source.next_input_byte, take);
    source.next_input_byte += take;
    source.bytes_in_buffer -= take;
    out += take;
    count -= take;
  }
  return true;
}

}  // namespace

void JpegMarkerNotes::Attach(jpeg_decompress_struct& info, JpegClientData& client) {
  *this = {};
  client.markerNotes = this;
  info.client_data = &client;
  jpeg_set_marker_processor(&info, JPEG_APP0 + 1, ReadMarker);
  jpeg_set_marker_processor(&info, JPEG_APP0 + 2, ReadMarker);
}

PictureFacts JpegMarkerNotes::Facts() const {
  return {orientation_, icc_.Profile()};
}

boolean JpegMarkerNotes::ReadMarker(j_decompress_ptr info) {
  auto& notes = *static_cast<JpegClientData*>(info->client_data)->markerNotes;
  std::uint8_t length[2];
  if (!TakeBytes(info, length, sizeof length)) return FALSE;
  // The length counts its own two bytes; a shorter one is damage, read as an empty marker.
  const std::size_t stated = static_cast<std::size_t>(length[0]) << 8 | length[1];
  notes.marker_.resize(stated > 2 ? stated - 2 : 0);
  if (!TakeBytes(info, notes.marker_.data(), notes.marker_.size())) return FALSE;
  const std::span<const std::uint8_t> marker(notes.marker_);
  if (info->unread_marker == JPEG_APP0 + 2) {
    notes.icc_.Add(marker);
  } else if (!notes.exifSeen_ && marker.size() >= kExifSignatureBytes &&
             std::memcmp(marker.data(), kExifSignature, kExifSignatureBytes) == 0) {
    notes.exifSeen_ = true;
    notes.orientation_ = ExifOrientation(marker.subspan(kExifSignatureBytes));
  }
  return TRUE;
}

}  // namespace dropshrink
