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

const std::filesystem::path kFolder = std::string(DROPSHRINK_FIXTURES) + "/regressions";

std::vector<std::filesystem::path> RegressionInputs() {
  std::vector<std::filesystem::path> inputs;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(kFolder, missing)) {
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
      inputs.push_back(entry.path());
    }
  }
  return inputs;
}

TEST(RegressionInputsTest, EachConvertsOrIsUnreadableAndLeavesNothingBehind) {
  // A missing or emptied folder would pass every row below by having none.
  const std::vector<std::filesystem::path> inputs = RegressionInputs();
  ASSERT_FALSE(inputs.empty()) << "no regression inputs in " << kFolder;
  for (const std::filesystem::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    ScopedTempDir dir;
    const std::string output = dir.File("out.jpg");
    const ConversionOutcome outcome =
        ConvertToJpegWithReason(input.c_str(), output.c_str(), kApplicationSettings);
    const ConversionResult result = outcome.result;
    EXPECT_TRUE(result == kSucceeded || result == kSourceUnreadable)
        << ConversionResultName(result);
    EXPECT_EQ(outcome.reason.failure == Failure::None, result == kSucceeded)
        << Describe(outcome.reason);
    // The destination appears only for a success; no temporary file stays.
    const std::vector<std::string> expected =
        result == kSucceeded ? std::vector<std::string>{"out.jpg"} : std::vector<std::string>{};
    EXPECT_EQ(dir.Files(), expected);
  }
}

}  // namespace
}  // namespace dropshrink
