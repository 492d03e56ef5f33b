#pragma once

namespace dropshrink {

// phase (1 reading, 0 writing), percent, the 0-based row just completed, and a
// reserved 0.
using ProgressCallback = void (*)(int phase, int percent, int row, int reserved);

namespace progress_phase {
inline constexpr int kWriting = 0;
inline constexpr int kReading = 1;
}  // namespace progress_phase

// Calls progress, when given, for `row` of `height` rows.
inline void ReportProgress(ProgressCallback progress, int phase, int row, int height) {
  if (progress == nullptr) return;
  const int percent =
      height < 1 ? 100 : static_cast<int>((row + 1) / static_cast<double>(height) * 100.0);
  progress(phase, percent, row, 0);
}

}  // namespace dropshrink
