#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

// A grey PNG of one value at libpng's best compression, which comes near the most deflate can
// expand: the largest picture a PNG file of its size can hold.
inline Bytes UniformGreyPng(std::uint32_t side) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const auto append = [](png_structp to, png_bytep data, png_size_t length) {
    auto& bytes = *static_cast<Bytes*>(png_get_io_ptr(to));
    bytes.insert(bytes.end(), data, data + length);
  };
  png_set_write_fn(png, &file, append, nullptr);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(side, 0);
  for (std::uint32_t i = 0; i < side; ++i) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

}  // namespace dropshrink::testing
