#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace dropshrink::cli {
namespace {

constexpr int kAssumedColumns = 80;
constexpr int kWidestBar = 40;

std::string Clock(std::chrono::seconds time) {
  const long long total = time.count();
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  }
  return text;
}

// Both amounts in the unit that suits the total: "4.1/20.3 MiB".
std::string Amounts(std::uint64_t done, std::uint64_t total) {
  constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  double scale = 1;
  while (unit + 1 < 5 && static_cast<double>(total) >= scale * 1024) {
    scale *= 1024;
    ++unit;
  }
  char text[64];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%llu/%llu B", static_cast<unsigned long long>(done),
                  static_cast<unsigned long long>(total));
  } else {
    std::snprintf(text, sizeof text, "%.1f/%.1f %s", static_cast<double>(done) / scale,
                  static_cast<double>(total) / scale, kUnits[unit]);
  }
  return text;
}

}  // namespace

std::string ProgressText(const Progress& progress, std::chrono::milliseconds elapsed, int columns) {
  using std::chrono::duration_cast;
  using std::chrono::seconds;
  std::string left = "--:--";
  if (progress.bytesDone > 0 && progress.bytesTotal >= progress.bytesDone) {
    const double share = static_cast<double>(progress.bytesTotal - progress.bytesDone) /
                         static_cast<double>(progress.bytesDone);
    left = Clock(
        seconds(static_cast<long long>(static_cast<double>(elapsed.count()) * share / 1000.0)));
  }
  const std::string figures =
      "  " + std::to_string(progress.filesDone) + "/" + std::to_string(progress.filesTotal) +
      " files  " + Amounts(progress.bytesDone, progress.bytesTotal) + "  " +
      Clock(duration_cast<seconds>(elapsed)) + " elapsed  " + left + " left";
  const int room = (columns > 0 ? columns : kAssumedColumns) - 1;
  const int barWidth = std::min(kWidestBar, room - static_cast<int>(figures.size()) - 2);
  if (barWidth < 5) return figures.substr(0, static_cast<std::size_t>(std::max(0, room)));

  const auto width = static_cast<std::size_t>(barWidth);
  const std::size_t filled =
      progress.filesTotal == 0 ? 0
                               : std::min(width, width * progress.filesDone / progress.filesTotal);
  std::string text(1, '[');
  text.append(filled, '#');
  text.append(width - filled, '.');
  text += ']';
  return text + figures;
}

ProgressBar::ProgressBar(std::FILE* terminal, int columns, Clock::time_point start)
    : terminal_(terminal), columns_(columns), start_(start) {}

void ProgressBar::Update(const Progress& progress, Clock::time_point now) {
  if (everDrawn_ && now - drawn_ < kRedrawEvery) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  // Carriage return, the bar, then clear what a longer bar left on the line.
  std::fprintf(terminal_, "\r%s\033[K", ProgressText(progress, elapsed, columns_).c_str());
  std::fflush(terminal_);
  drawn_ = now;
  everDrawn_ = true;
  visible_ = true;
}

void ProgressBar::Erase() {
  if (!visible_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  visible_ = false;
}

}  // namespace dropshrink::cli
