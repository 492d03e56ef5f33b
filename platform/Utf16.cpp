#include "platform/Utf16.h"

#include <QString>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

}  // namespace platform
