// Names are quoted only when they hold a control character or a byte that starts no UTF-8
// character, and bash reads the quoted form back to the very same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Quote.h"
#include "tests/support/Files.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink::cli {
namespace {

// What bash makes of `word` as one argument to printf.
std::string ReadBackByBash(const std::string& word, const std::string& script) {
  const std::string text = "printf %s " + word + "\n";
  testing::WriteBytes(script, {text.begin(), text.end()});
  std::FILE* pipe = popen(("bash '" + script + "'").c_str(), "r");
  if (pipe == nullptr) return "<bash did not run>";
  std::string out;
  char chunk[256];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    out.append(chunk, got);
  pclose(pipe);
  return out;
}

TEST(QuoteTest, PlainNamesStayAsTheyAre) {
  for (const std::string name : {"photo.jpg", "/a b/it's (1).png", "照片_压缩.jpg", "-x", ""}) {
    EXPECT_EQ(Quote(name), name);
  }
}

TEST(QuoteTest, ControlCharactersAreQuotedAsTheShellReadsThem) {
  testing::ScopedTempDir dir;
  const std::string names[] = {
      "new\nline.jpg",   "a\tb\rc", "it's\n",         "'\n'",
      "\x1b[31mred.jpg", "del\x7f", "c1\xc2\x9b.jpg", "bad\xff\xfe utf8.jpg",
      "cut \xe7\x85",    "\n",
  };
  for (const std::string& name : names) {
    const std::string quoted = Quote(name);
    EXPECT_NE(quoted, name);
    EXPECT_EQ(quoted.find_first_of("\n\r\t\x1b\x7f"), std::string::npos) << quoted;
    EXPECT_EQ(ReadBackByBash(quoted, dir.File("echo.sh")), name) << quoted;
  }
  EXPECT_EQ(Quote("new\nline.jpg"), "'new'$'\\n''line.jpg'");
}

}  // namespace
}  // namespace dropshrink::cli
