#pragma once

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

struct JpegShape {
  int width = 16;
  int height = 16;
  // 1 grey, 3 colour, 4 CMYK.
  int components = 3;
  bool progressive = false;
  // One grey level: the fewest coded bits a picture can have.
  bool flat = false;
  bool arithmetic = false;
  // The library's default 4:2:0 for colour; otherwise every component at full size.
  bool subsampled = false;
  // A restart marker after every this many rows of blocks; none when 0.
  int restartRows = 0;
  // Sequential, one scan per component instead of one scan of them all.
  bool scanPerComponent = false;
};

// A JPEG file made straight through libjpeg, for what our writer never makes: progressive and
// arithmetic-coded files, a scan per component, CMYK, colour without subsampling, restart
// markers. Unless flat, every sample differs from its neighbours, so the coded data is long and
// every cut lands in it.
inline Bytes JpegOf(const JpegShape& shape) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(shape.width);
  info.image_height = static_cast<JDIMENSION>(shape.height);
  info.input_components = shape.components;
  info.in_color_space = shape.components == 4   ? JCS_CMYK
                        : shape.components == 3 ? JCS_RGB
                                                : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  for (int c = 0; c < info.num_components && !shape.subsampled; ++c) {
    info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  }
  if (shape.progressive) jpeg_simple_progression(&info);
  // libjpeg reads the script until the file is finished.
  std::vector<jpeg_scan_info> script;
  if (shape.scanPerComponent) {
    for (int c = 0; c < info.num_components; ++c) script.push_back({1, {c}, 0, 63, 0, 0});
    info.scan_info = script.data();
    info.num_scans = info.num_components;
  }
  info.restart_in_rows = shape.restartRows;
  info.arith_code = static_cast<boolean>(shape.arithmetic);
  info.optimize_coding = static_cast<boolean>(!shape.arithmetic);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(shape.width * shape.components), 128);
  JSAMPROW rows[1] = {row.data()};
  while (info.next_scanline < info.image_height) {
    for (std::size_t i = 0; i < row.size() && !shape.flat; ++i) {
      row[i] = static_cast<JSAMPLE>((i * 37 + info.next_scanline * 11) % 251);
    }
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

// Where the marker `code` (0xFF, code) first starts; the size when there is none.
inline std::size_t JpegMarkerAt(const Bytes& jpeg, unsigned char code) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  }
  return jpeg.size();
}

// The same file declaring another size in its frame header.
inline Bytes WithJpegFrameSize(Bytes jpeg, int width, int height) {
  std::size_t frame = JpegMarkerAt(jpeg, 0xC0);
  if (frame == jpeg.size()) frame = JpegMarkerAt(jpeg, 0xC2);
  jpeg[frame + 5] = static_cast<unsigned char>(height >> 8);
  jpeg[frame + 6] = static_cast<unsigned char>(height);
  jpeg[frame + 7] = static_cast<unsigned char>(width >> 8);
  jpeg[frame + 8] = static_cast<unsigned char>(width);
  return jpeg;
}

// Everything up to the end of the first scan header, then the end marker: no coded data.
inline Bytes JpegHeaderOnly(const Bytes& jpeg) {
  const std::size_t scan = JpegMarkerAt(jpeg, 0xDA);
  const std::size_t end = scan + 2 + (jpeg[scan + 2] << 8 | jpeg[scan + 3]);
  Bytes header(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(end));
  header.insert(header.end(), {0xFF, 0xD9});
  return header;
}

// The file with its last scan repeated until it has `count` scans: each repeat costs the decoder
// a pass over that scan's components for a few bytes of file.
inline Bytes WithLastScanRepeated(const Bytes& jpeg, std::size_t count) {
  std::vector<std::size_t> scans;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scans.push_back(i);
  }
  const auto last = jpeg.begin() + static_cast<std::ptrdiff_t>(scans.back());
  const auto end = jpeg.end() - 2;  // the end marker
  Bytes bomb(jpeg.begin(), last);
  for (std::size_t n = scans.size() - 1; n < count; ++n) bomb.insert(bomb.end(), last, end);
  bomb.insert(bomb.end(), {0xFF, 0xD9});
  return bomb;
}

}  // namespace dropshrink::testing
