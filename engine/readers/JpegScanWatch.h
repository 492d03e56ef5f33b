#pragma once

#include <jerror.h>
#include <jpeglib.h>

namespace dropshrink {

// Watches the scans libjpeg reads, through its progress hook. It gives up on a file with more
// scans than any real encoder writes, whose decoding time grows with every scan, and records
// which components the scans have coded, so a file that ends early can be told from one that
// lacks only its end marker.
struct JpegScanWatch {
  // libjpeg's own tools stop at this many.
  static constexpr int kMaxScans = 500;

  // First, so the library's pointer to it is a pointer to the watch.
  jpeg_progress_mgr monitor;
  unsigned componentsCoded;
  bool tooManyScans;

  void Attach(jpeg_decompress_struct& info) {
    monitor = {};
    monitor.progress_monitor = OnProgress;
    componentsCoded = 0;
    tooManyScans = false;
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
  // Called at least once for every scan, after its header is read.
  static void OnProgress(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto& watch = *reinterpret_cast<JpegScanWatch*>(info->progress);
    if (info->input_scan_number > kMaxScans) {
      watch.tooManyScans = true;
      info->err->msg_code = JMSG_NOMESSAGE;
      (*info->err->error_exit)(common);
    }
    for (int i = 0; i < info->comps_in_scan; ++i) {
      watch.componentsCoded |= 1u << info->cur_comp_info[i]->component_index;
    }
  }
};

}  // namespace dropshrink
