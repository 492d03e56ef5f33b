#include "platform/window/Guid.h"

#include <cstring>
#include <string>

namespace platform {
namespace {

constexpr std::size_t kGuidTextLength = 38;

std::u16string Units(std::span<const std::uint8_t> wideText) {
  std::u16string units;
  for (std::size_t at = 0; at + 1 < wideText.size(); at += 2) {
    char16_t unit;
    std::memcpy(&unit, wideText.data() + at, sizeof unit);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

std::optional<std::uint32_t> Hex(std::u16string_view digits) {
  std::uint32_t value = 0;
  for (const char16_t c : digits) {
    int digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace

std::optional<Guid> ParseGuid(std::span<const std::uint8_t> wideText) {
  const std::u16string text = Units(wideText);
  if (text.size() != kGuidTextLength || text.front() != u'{' || text.back() != u'}') {
    return std::nullopt;
  }
  for (const std::size_t dash : {9, 14, 19, 24}) {
    if (text[dash] != u'-') return std::nullopt;
  }
  const std::u16string_view view(text);
  const auto data1 = Hex(view.substr(1, 8));
  const auto data2 = Hex(view.substr(10, 4));
  const auto data3 = Hex(view.substr(15, 4));
  if (!data1 || !data2 || !data3) return std::nullopt;

  Guid guid{*data1, static_cast<std::uint16_t>(*data2), static_cast<std::uint16_t>(*data3), {}};
  // The last eight bytes: two before the fourth dash, six after it.
  constexpr std::size_t kByteOffsets[] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    const auto byte = Hex(view.substr(kByteOffsets[i], 2));
    if (!byte) return std::nullopt;
    guid.data4[i] = static_cast<std::uint8_t>(*byte);
  }
  return guid;
}

}  // namespace platform
