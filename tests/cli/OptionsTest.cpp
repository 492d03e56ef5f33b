// The option table as a user types it: grouping, attached values, "--", overrides and refusals;
// and the help page and the manual page, which must name every option the parser takes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Help.h"
#include "cli/Options.h"

namespace dropshrink::cli {
namespace {

ParsedArguments Parse(const std::vector<std::string>& arguments) {
  return ParseArguments(arguments);
}

TEST(OptionsTest, DefaultsAreTheWindowsSettings) {
  const ParsedArguments parsed = Parse({"photo.jpg"});
  ASSERT_EQ(parsed.request, Request::Convert);
  EXPECT_EQ(parsed.options.settings, kApplicationSettings);
  EXPECT_EQ(parsed.options.suffix, "_压缩");
  EXPECT_EQ(parsed.options.outputFolder, "");
  EXPECT_EQ(parsed.options.jobs, 0);
  EXPECT_FALSE(parsed.options.recursive || parsed.options.dryRun || parsed.options.skipLarger ||
               parsed.options.quiet);
}

TEST(OptionsTest, GnuForms) {
  const ParsedArguments grouped = Parse({"-rnq80", "-o", "out", "x", "--grey"});
  ASSERT_EQ(grouped.request, Request::Convert) << grouped.error;
  EXPECT_TRUE(grouped.options.recursive);
  EXPECT_TRUE(grouped.options.dryRun);
  EXPECT_TRUE(grouped.options.settings.grey);
  EXPECT_EQ(grouped.options.settings.quality, 80);
  EXPECT_EQ(grouped.options.outputFolder, "out");
  EXPECT_EQ(grouped.options.paths, std::vector<std::string>{"x"});

  const ParsedArguments longForms =
      Parse({"--quality=90", "--jobs", "3", "--suffix=", "--smoothing", "5", "--no-optimize",
             "-oout", "--", "-x", "--grey", "-"});
  ASSERT_EQ(longForms.request, Request::Convert) << longForms.error;
  EXPECT_EQ(longForms.options.settings,
            (JpegSettings{.grey = false, .quality = 90, .optimizeCoding = false, .smoothing = 5}));
  EXPECT_EQ(longForms.options.jobs, 3);
  EXPECT_EQ(longForms.options.suffix, "");
  EXPECT_EQ(longForms.options.outputFolder, "out");
  EXPECT_EQ(longForms.options.paths, (std::vector<std::string>{"-x", "--grey", "-"}));

  const ParsedArguments later = Parse({"-q", "70", "a", "-q", "60", "--output", "o", "b"});
  EXPECT_EQ(later.options.settings.quality, 60);
  EXPECT_EQ(later.options.paths, (std::vector<std::string>{"a", "b"}));
}

TEST(OptionsTest, HelpAndVersionAnswerAtOnce) {
  EXPECT_EQ(Parse({"x", "--help", "-z"}).request, Request::Help);
  EXPECT_EQ(Parse({"--version"}).request, Request::Version);
  // An error before them still counts.
  EXPECT_EQ(Parse({"-z", "--help"}).request, Request::BadUsage);
}

TEST(OptionsTest, BadUsageIsRefusedWithAReason) {
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"--"},
      {"-o"},
      {"x", "-o", ""},
      {"x", "--output"},
      {"x", "-q", "abc"},
      {"x", "-q", "7x"},
      {"x", "-q", " 7"},
      {"x", "-q", "0"},
      {"x", "-q", "99999999999999999999"},
      {"x", "--smoothing=101"},
      {"x", "-j", "257"},
      {"x", "-j", "-1"},
      {"x", "--no-optimize=1"},
      {"x", "--gre"},
      {"x", "-z"},
      {"x", "--suffix", "a/b"},
  };
  for (const auto& arguments : refused) {
    std::string shown;
    for (const std::string& a : arguments) shown += "[" + a + "] ";
    const ParsedArguments parsed = Parse(arguments);
    EXPECT_EQ(parsed.request, Request::BadUsage) << shown;
    EXPECT_FALSE(parsed.error.empty()) << shown;
  }
}

std::string ManPage() {
  std::ifstream in(DROPSHRINK_MAN_PAGE);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(OptionsTest, HelpAndManualNameEveryOption) {
  const std::string help = HelpText();
  const std::string manual = ManPage();
  ASSERT_FALSE(manual.empty());
  for (const OptionHelp& option : OptionList()) {
    const std::string name(option.longName);
    EXPECT_NE(help.find("--" + name), std::string::npos) << name;
    // roff spells every minus as \-.
    std::string spelt = "\\-\\-";
    for (const char c : name) spelt += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(spelt), std::string::npos) << name;
    if (option.shortName != '\0') {
      EXPECT_NE(help.find(std::string{'-', option.shortName, ','}), std::string::npos) << name;
      EXPECT_NE(manual.find(std::string{'\\', '-', option.shortName}), std::string::npos) << name;
    }
  }
  for (std::size_t start = 0, end = 0; start < help.size(); start = end + 1) {
    end = help.find('\n', start);
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
  }
}

}  // namespace
}  // namespace dropshrink::cli
