#pragma once

#include <string>
#include <string_view>

namespace app {

inline constexpr std::string_view kOutputSuffix = "_压缩.jpg";

// folder (a separator is added when it has none at the end) + the source's file name without
// its last suffix + "_压缩.jpg": a.b.png gives a.b_压缩.jpg, and a file named only ".jpg" gives
// "_压缩.jpg". A name without any suffix is kept whole.
std::string MakeOutputPath(std::string_view folder, std::string_view source);

}  // namespace app
