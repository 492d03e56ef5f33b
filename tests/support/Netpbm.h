#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Files.h"

namespace dropshrink::testing {

// A binary PGM (P5) or PPM (P6) picture with 8-bit samples: what the other
// encoders' own readers give for our fixtures.
struct Netpbm {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 grey, 3 red-green-blue
  std::vector<std::uint8_t> pixels;
};

inline Netpbm ReadNetpbm(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadBytes(path);
  std::size_t at = 0;
  const auto skipSpaceAndComments = [&] {
    while (at < bytes.size() && (std::isspace(bytes[at]) || bytes[at] == '#')) {
      if (bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') ++at;
      } else {
        ++at;
      }
    }
  };
  const auto number = [&] {
    skipSpaceAndComments();
    int value = 0;
    while (at < bytes.size() && std::isdigit(bytes[at])) value = value * 10 + (bytes[at++] - '0');
    return value;
  };
  Netpbm picture;
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return picture;
  at = 2;
  const int channels = bytes[1] == '6' ? 3 : 1;
  const int width = number();
  const int height = number();
  const int maxval = number();
  ++at;  // the single whitespace byte before the samples
  const std::size_t count = static_cast<std::size_t>(width) * height * channels;
  if (maxval != 255 || bytes.size() - at < count) return picture;
  picture = {width, height, channels, {bytes.begin() + at, bytes.begin() + at + count}};
  return picture;
}

}  // namespace dropshrink::testing
