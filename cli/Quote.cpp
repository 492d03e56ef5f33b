#include "cli/Quote.h"

#include "platform/files/Text.h"

namespace dropshrink::cli {
namespace {

// Bytes of the character at `at` and whether it must be escaped.
struct Character {
  std::size_t bytes;
  bool unsafe;
};

Character CharacterAt(const std::string& text, std::size_t at) {
  const char* start = text.c_str() + at;
  const auto bytes = static_cast<std::size_t>(platform::CharacterBytes(start));
  const auto lead = static_cast<unsigned char>(start[0]);
  if (bytes == 1) return {1, lead < 0x20 || lead >= 0x7F};
  // U+0080 to U+009F: the C1 controls.
  const bool c1 = lead == 0xC2 && static_cast<unsigned char>(start[1]) <= 0x9F;
  return {bytes, c1};
}

void AppendEscaped(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\r':
      out += "\\r";
      return;
    default: {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
}

}  // namespace

std::string Quote(const std::string& text) {
  bool plain = true;
  for (std::size_t at = 0; at < text.size() && plain;) {
    const Character c = CharacterAt(text, at);
    plain = !c.unsafe;
    at += c.bytes;
  }
  if (plain) return text;

  enum class Open { None, Literal, Escaped } open = Open::None;
  std::string out;
  const auto close = [&] {
    if (open != Open::None) out += '\'';
    open = Open::None;
  };
  for (std::size_t at = 0; at < text.size();) {
    const Character c = CharacterAt(text, at);
    if (c.unsafe) {
      if (open != Open::Escaped) {
        close();
        out += "$'";
        open = Open::Escaped;
      }
      for (std::size_t i = 0; i < c.bytes; ++i) {
        AppendEscaped(out, static_cast<unsigned char>(text[at + i]));
      }
    } else if (text[at] == '\'') {
      close();
      out += "\\'";
    } else {
      if (open != Open::Literal) {
        close();
        out += '\'';
        open = Open::Literal;
      }
      out.append(text, at, c.bytes);
    }
    at += c.bytes;
  }
  close();
  return out;
}

}  // namespace dropshrink::cli
