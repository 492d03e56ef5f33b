#pragma once

#include <string_view>

namespace app {

// True when the name ends in a suffix of a picture the engine reads. Letter case is ignored and
// ".tif" counts, so camera and scanner names (DSC_0001.JPG, scan.tif) are taken.
bool IsSupportedImage(std::string_view path);

}  // namespace app
