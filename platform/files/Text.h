#pragma once

#include <string>
#include <string_view>

// Our narrow text is UTF-8; these are the only places that know it.
namespace platform {

// Bytes of the character that starts at `text`: 1 for ASCII and for a byte that starts no
// valid sequence, never more than the bytes before the terminating zero.
int CharacterBytes(const char* text);

// Each byte that starts no valid sequence (a stray continuation, an overlong form, a surrogate,
// a sequence cut short) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace platform
