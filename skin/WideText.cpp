#include "skin/WideText.h"

#include <cstring>
#include <string>

#include "platform/files/Text.h"

namespace skin {

ByteArray AnsiToWide(std::string_view text) {
  const std::u16string wide = platform::Utf8ToUtf16(text.substr(0, text.find('\0')));
  const std::size_t units = wide.size() + 1;
  ByteArray bytes(units * sizeof(char16_t), 0);
  std::memcpy(bytes.data(), wide.c_str(), bytes.size());
  return bytes;
}

}  // namespace skin
