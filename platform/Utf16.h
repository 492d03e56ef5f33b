#pragma once

#include <string>
#include <string_view>

namespace platform {

// Our narrow text is UTF-8. A malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace platform
