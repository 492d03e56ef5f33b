#pragma once

#include <string>

#include "engine/Failure.h"
#include "engine/ImageKind.h"
#include "engine/RasterImage.h"

namespace dropshrink::testing {

struct Decoding {
  int opened = 0;
  int read = 0;
  ImageKind kind = kKindNone;
  // Why Open refused or Read failed.
  Failure failure = Failure::None;
};

// Opens the file with a fresh Reader and reads it when the reader accepts it.
// `extra` goes between the target and the progress callback (the Photo CD
// resolution).
template <class Reader, class... Extra>
Decoding DecodeWith(const std::string& path, RasterImage& target, Extra... extra) {
  Reader reader;
  Decoding d;
  d.opened = reader.Open(path.c_str(), target, extra..., nullptr);
  d.kind = reader.Kind();
  if (d.opened == 1) d.read = reader.Read();
  d.failure = reader.LastFailure();
  return d;
}

}  // namespace dropshrink::testing
