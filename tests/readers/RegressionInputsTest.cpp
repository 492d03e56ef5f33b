// Inputs that once crashed or hung a reader under the fuzzer, run through the
// whole conversion: each must end in a result, with nothing left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;

std::vector<std::filesystem::path> RegressionInputs() {
  // Git keeps no empty folder, so a fresh clone may have none.
  const std::filesystem::path folder = std::string(DROPSHRINK_FIXTURES) + "/regressions";
  std::vector<std::filesystem::path> inputs;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
      inputs.push_back(entry.path());
    }
  }
  return inputs;
}

TEST(RegressionInputsTest, EachConvertsOrIsUnreadableAndLeavesNothingBehind) {
  for (const std::filesystem::path& input : RegressionInputs()) {
    SCOPED_TRACE(input.filename().string());
    ScopedTempDir dir;
    const std::string output = dir.File("out.jpg");
    const ConversionResult result = ConvertToJpeg(input.c_str(), output.c_str(), 0, 75, 1, 0);
    EXPECT_TRUE(result == kSucceeded || result == kSourceUnreadable)
        << ConversionResultName(result);
    // The destination appears only for a success; no temporary file stays.
    const std::vector<std::string> expected =
        result == kSucceeded ? std::vector<std::string>{"out.jpg"} : std::vector<std::string>{};
    EXPECT_EQ(dir.Files(), expected);
  }
}

}  // namespace
}  // namespace dropshrink
