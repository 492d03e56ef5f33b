#include "platform/files/Text.h"

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The sequence length a lead byte announces, 0 for a byte that leads none. Overlong forms and
// surrogates are excluded by the second byte's range.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool SecondByteFits(unsigned char lead, unsigned char second) {
  if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
  if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
  if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
  if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
  return (second & 0xC0) == 0x80;
}

// Bytes of the valid sequence at the start of text (at most `available`), 0 when there is none.
int ValidSequence(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const int length = SequenceLength(lead);
  if (length == 0 || static_cast<std::size_t>(length) > text.size()) return 0;
  if (length > 1 && !SecondByteFits(lead, static_cast<unsigned char>(text[1]))) return 0;
  for (int i = 2; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

int CharacterBytes(const char* text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  int length = SequenceLength(lead);
  if (length == 0) return 1;
  for (int i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  while (!text.empty()) {
    const int length = ValidSequence(text);
    if (length == 0) {
      wide.push_back(kReplacement);
      text.remove_prefix(1);
      continue;
    }
    const auto byte = [&](int i) {
      return static_cast<char32_t>(static_cast<unsigned char>(text[i]));
    };
    char32_t code = length == 1   ? byte(0)
                    : length == 2 ? (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F)
                    : length == 3
                        ? (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F)
                        : (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
                              (byte(3) & 0x3F);
    if (code >= 0x10000) {
      code -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(code));
    }
    text.remove_prefix(static_cast<std::size_t>(length));
  }
  return wide;
}

}  // namespace platform
