#pragma once

#include <jerror.h>
#include <jpeglib.h>

namespace dropshrink {

// Watches the scans libjpeg reads, through its progress hook. Every scan costs a pass over the
// blocks of its components, however few bytes code it (one end-of-band run skips thousands of
// blocks), so it gives up on a file with more scans, or more passes over the picture, than any
// real encoder writes. It also records which components the scans have coded, so a file that
// ends early can be told from one that lacks only its end marker.
struct JpegScanWatch {
  // libjpeg's own tools stop at this many.
  static constexpr int kMaxScans = 500;
  // The usual progressive script visits each block about six times; ten times that is allowed.
  static constexpr unsigned long long kMaxPasses = 60;
  // Work too small to matter at any scan count: a few milliseconds of decoding.
  static constexpr unsigned long long kFreeBlocks = 1ull << 22;

  // First, so the library's pointer to it is a pointer to the watch.
  jpeg_progress_mgr monitor;
  unsigned componentsCoded;
  bool tooMuchWork;
  int lastScan;
  unsigned long long blocksVisited;

  void Attach(jpeg_decompress_struct& info) {
    monitor = {};
    monitor.progress_monitor = OnProgress;
    componentsCoded = 0;
    tooMuchWork = false;
    lastScan = 0;
    blocksVisited = 0;
    info.progress = &monitor;
  }

  // Whether every coefficient the frame declares has been coded to its last bit: for a
  // progressive file, by the library's count per coefficient, otherwise by the scans seen.
  bool AllCoded(const jpeg_decompress_struct& info) const {
    for (int c = 0; c < info.num_components; ++c) {
      if (!info.progressive_mode && (componentsCoded & (1u << c)) == 0) return false;
      for (int k = 0; info.progressive_mode && k < DCTSIZE2; ++k) {
        if (info.coef_bits[c][k] != 0) return false;
      }
    }
    return true;
  }

 private:
  static unsigned long long BlocksOf(const jpeg_component_info& component) {
    return static_cast<unsigned long long>(component.width_in_blocks) * component.height_in_blocks;
  }

  // Whether the scans so far, this one included, ask for more work than a real file needs.
  bool OverBudget(const jpeg_decompress_struct& info) {
    if (info.input_scan_number > kMaxScans) return true;
    unsigned long long pictureBlocks = 0;
    for (int c = 0; c < info.num_components; ++c) pictureBlocks += BlocksOf(info.comp_info[c]);
    for (int i = 0; i < info.comps_in_scan; ++i) blocksVisited += BlocksOf(*info.cur_comp_info[i]);
    return blocksVisited > kFreeBlocks && blocksVisited > kMaxPasses * pictureBlocks;
  }

  // Called at least once for every scan after its header is read, before its data.
  static void OnProgress(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto& watch = *reinterpret_cast<JpegScanWatch*>(info->progress);
    if (info->input_scan_number == watch.lastScan) return;
    watch.lastScan = info->input_scan_number;
    if (watch.OverBudget(*info)) {
      watch.tooMuchWork = true;
      info->err->msg_code = JMSG_NOMESSAGE;
      (*info->err->error_exit)(common);
    }
    for (int i = 0; i < info->comps_in_scan; ++i) {
      watch.componentsCoded |= 1u << info->cur_comp_info[i]->component_index;
    }
  }
};

}  // namespace dropshrink
