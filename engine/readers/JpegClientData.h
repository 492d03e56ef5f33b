#pragma once

namespace dropshrink {

class JpegBlockArrays;
class JpegMarkerNotes;

// What the library's client pointer leads to: the helpers a library object's callbacks reach.
// Each helper sets its own entry when installed; the rest stay null.
struct JpegClientData {
  JpegMarkerNotes* markerNotes = nullptr;
  JpegBlockArrays* blockArrays = nullptr;
};

}  // namespace dropshrink
