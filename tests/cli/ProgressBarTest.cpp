// The bar's text: the time left guessed from the bytes done, and a line that never reaches the
// terminal's last column, where it would wrap and leave a trail of bars.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "cli/ProgressBar.h"

namespace dropshrink::cli {
namespace {

using std::chrono::milliseconds;

TEST(ProgressBarTest, TimeLeftFollowsTheBytesDone) {
  const Progress quarter{
      .filesDone = 1, .filesTotal = 2, .bytesDone = 25 << 20, .bytesTotal = 100 << 20};
  const std::string text = ProgressText(quarter, milliseconds(10'000), 100);
  EXPECT_NE(text.find("1/2 files"), std::string::npos) << text;
  EXPECT_NE(text.find("25.0/100.0 MiB"), std::string::npos) << text;
  EXPECT_NE(text.find("0:10 elapsed"), std::string::npos) << text;
  EXPECT_NE(text.find("0:30 left"), std::string::npos) << text;

  const Progress none{.filesDone = 0, .filesTotal = 3, .bytesDone = 0, .bytesTotal = 900};
  EXPECT_NE(ProgressText(none, milliseconds(3'723'000), 100).find("1:02:03 elapsed  --:-- left"),
            std::string::npos);
}

TEST(ProgressBarTest, NeverAsWideAsTheTerminal) {
  const Progress progress{
      .filesDone = 123, .filesTotal = 4567, .bytesDone = 1ull << 40, .bytesTotal = 3ull << 40};
  for (const int columns : {1, 2, 20, 60, 79, 80, 81, 200}) {
    const std::string text = ProgressText(progress, milliseconds(99'000'000), columns);
    EXPECT_LT(text.size(), static_cast<std::size_t>(columns)) << columns << ": " << text;
    if (columns >= 100) {
      EXPECT_EQ(text.front(), '[') << text;
    }
  }
  // A terminal that does not tell its width is taken as 80 columns.
  EXPECT_LT(ProgressText(progress, milliseconds(0), 0).size(), 80u);
}

}  // namespace
}  // namespace dropshrink::cli
