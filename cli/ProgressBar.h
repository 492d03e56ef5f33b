#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace dropshrink::cli {

struct Progress {
  std::size_t filesDone = 0;
  std::size_t filesTotal = 0;
  std::uint64_t bytesDone = 0;
  std::uint64_t bytesTotal = 0;
};

// "[######......]  3/12 files  4.1/20.3 MiB  0:07 elapsed  0:28 left", never wider than
// columns - 1, so the terminal does not wrap it. The time left is guessed from the bytes done.
std::string ProgressText(const Progress& progress, std::chrono::milliseconds elapsed, int columns);

// The bar on a terminal's stream, drawn over itself at most ten times a second.
class ProgressBar {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRedrawEvery{100};

  // `columns` 0 stands for a terminal that does not tell its width.
  ProgressBar(std::FILE* terminal, int columns, Clock::time_point start);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Draws unless the last drawing is younger than kRedrawEvery.
  void Update(const Progress& progress, Clock::time_point now);
  // Takes the bar off its line, before a line is printed there or at the end.
  void Erase();

 private:
  std::FILE* terminal_;
  int columns_;
  Clock::time_point start_;
  Clock::time_point drawn_;
  bool everDrawn_ = false;
  bool visible_ = false;
};

}  // namespace dropshrink::cli
