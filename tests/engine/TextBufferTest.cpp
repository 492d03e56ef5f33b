#include "engine/TextBuffer.h"
#include "platform/files/Text.h"

#include <gtest/gtest.h>

namespace dropshrink {
namespace {

TEST(TextBufferTest, EmptyTextsFailAndKeepWhatWasThere) {
  TextBuffer text;
  EXPECT_EQ(text.Assign(""), 0);
  EXPECT_TRUE(text.Empty());
  EXPECT_EQ(text.Size(), 0);
  EXPECT_STREQ(text.Text(), "");

  ASSERT_EQ(text.Assign("abc"), 1);
  EXPECT_EQ(text.Append(""), 0);
  EXPECT_STREQ(text.Text(), "abc");
  EXPECT_EQ(text.Append("de"), 1);
  EXPECT_STREQ(text.Text(), "abcde");
  EXPECT_EQ(text.Length(), 5);
}

TEST(TextBufferTest, MultiByteCharacterCountsAsOne) {
  TextBuffer text;
  ASSERT_EQ(text.Assign("压缩a"), 1);
  EXPECT_EQ(text.Length(), 3);
  EXPECT_EQ(text.Size(), 8);  // two three-byte characters, one letter, the zero
}

TEST(TextBufferTest, PiecesNeverSplitACharacter) {
  TextBuffer text;
  ASSERT_EQ(text.Assign("/照片/图.jpg"), 1);
  struct Case {
    const char* what;
    int (*take)(const TextBuffer&, TextBuffer&);
    const char* expected;
  };
  const Case cases[] = {
      {"Right 5", [](const TextBuffer& t, TextBuffer& o) { return t.Right(o, 5); }, "图.jpg"},
      {"Left 3", [](const TextBuffer& t, TextBuffer& o) { return t.Left(o, 3); }, "/照片"},
      {"Mid 2,2", [](const TextBuffer& t, TextBuffer& o) { return t.Mid(o, 2, 2); }, "照片"},
      {"Mid past end", [](const TextBuffer& t, TextBuffer& o) { return t.Mid(o, 8, 50); }, "pg"},
  };
  for (const Case& c : cases) {
    TextBuffer out;
    EXPECT_EQ(c.take(text, out), 1) << c.what;
    EXPECT_STREQ(out.Text(), c.expected) << c.what;
  }

  TextBuffer out;
  EXPECT_EQ(text.Right(out, text.Length() + 1), 0);
  EXPECT_EQ(text.Mid(out, text.Length() + 1, 1), 0);
  EXPECT_TRUE(out.Empty());
}

TEST(TextBufferTest, TruncatedSequenceCountsByteByByte) {
  TextBuffer text;
  ASSERT_EQ(text.Assign("a\xE5\x8E"), 1);  // a lead byte and one of its two trail bytes
  EXPECT_EQ(text.Length(), 3);
  TextBuffer last;
  ASSERT_EQ(text.Right(last, 1), 1);
  EXPECT_STREQ(last.Text(), "\x8E");
}

TEST(TextBufferTest, NumbersAndComparison) {
  TextBuffer text;
  ASSERT_EQ(text.Assign("n"), 1);
  ASSERT_EQ(text.AppendNumber(-5), 1);
  EXPECT_STREQ(text.Text(), "n-5");
  EXPECT_EQ(text.Equals("N-5", 1), 1);
  EXPECT_EQ(text.Equals("N-5", 0), 0);
  EXPECT_EQ(text.Equals("n-5", 2), 1);
  EXPECT_EQ(text.Equals("n-", 1), 0);
}

}  // namespace
}  // namespace dropshrink

namespace platform_text {

TEST(Utf8ToUtf16, ValidTextConvertsAndEachBadByteBecomesOneReplacement) {
  struct Case {
    const char* what;
    std::string text;
    std::u16string units;
  };
  const Case cases[] = {
      {"ASCII", "Ab", u"Ab"},
      {"two, three and four bytes", "\xC3\xA9\xE5\x8E\x8B\xF0\x9F\x98\x80", u"é压\U0001F600"},
      {"lead byte that starts nothing",
       "a\xFF"
       "b",
       u"a\uFFFDb"},
      {"stray continuation", "\x80", u"\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"cut at the end", "x\xE5\x8E", u"x\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(platform::Utf8ToUtf16(c.text), c.units);
  }
}

}  // namespace platform_text
