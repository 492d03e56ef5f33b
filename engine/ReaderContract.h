#pragma once

#include <concepts>
#include <string_view>

#include "engine/Failure.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"

namespace dropshrink {

// What every format reader offers the reader chain. Open(path, target, ...)
// returns 1 when the file is of its format and its header is acceptable, and
// leaves the target alone; Read() fills the target and always ends closed;
// Close() releases everything and returns 1; Reset() forgets without releasing;
// LastFailure() says why the last Open or Read failed.
template <class Reader>
concept ImageReader = requires(Reader reader) {
  { reader.Read() } -> std::same_as<int>;
  { reader.Close() } -> std::same_as<int>;
  reader.Reset();
  { reader.LastFailure() } -> std::same_as<Failure>;
  { Reader::kFormatName } -> std::convertible_to<std::string_view>;
};

}  // namespace dropshrink
