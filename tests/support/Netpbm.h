#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Files.h"

namespace dropshrink::testing {

// A binary PBM (P4), PGM (P5) or PPM (P6) picture, its samples scaled to 8 bits
// (a PBM's 1 is black): what the other encoders' own readers give for our
// fixtures.
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
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] < '4' || bytes[1] > '6') return picture;
  at = 2;
  const bool bitmap = bytes[1] == '4';
  const int channels = bytes[1] == '6' ? 3 : 1;
  const int width = number();
  const int height = number();
  const int maxval = bitmap ? 1 : number();
  ++at;  // the single whitespace byte before the samples
  if (maxval < 1 || maxval > 255) return picture;
  std::vector<std::uint8_t> samples;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * channels; ++x) {
      int value = 0;
      if (bitmap) {
        const std::size_t byte = at + static_cast<std::size_t>(y) * ((width + 7) / 8) + x / 8;
        if (byte >= bytes.size()) return picture;
        value = ((bytes[byte] >> (7 - x % 8)) & 1) == 0 ? 1 : 0;
      } else {
        const std::size_t byte = at + static_cast<std::size_t>(y) * width * channels + x;
        if (byte >= bytes.size()) return picture;
        value = bytes[byte];
      }
      samples.push_back(static_cast<std::uint8_t>(value * 255 / maxval));
    }
  }
  picture = {width, height, channels, std::move(samples)};
  return picture;
}

}  // namespace dropshrink::testing
