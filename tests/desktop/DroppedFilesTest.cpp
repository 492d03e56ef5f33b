#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop/DroppedFiles.h"

namespace {

QUrl Local(const char* path) {
  return QUrl::fromLocalFile(QString::fromUtf8(path));
}

TEST(DroppedFilesTest, LocalFilesBecomeTheGotFileText) {
  struct Case {
    const char* what;
    QList<QUrl> urls;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"one file alone", {Local("/tmp/a.jpg")}, "/tmp/a.jpg"},
      {"several, each ended", {Local("/a.jpg"), Local("/b")}, "/a.jpg\r\n/b\r\n"},
      {"awkward names",
       {Local("/tmp/my photo.jpg"), Local("/tmp/照片.jpg"), Local("/tmp/-rf.jpg"),
        Local("/tmp/two\nlines.jpg"), Local("/tmp/cr\r.jpg")},
       "/tmp/my photo.jpg\r\n/tmp/照片.jpg\r\n/tmp/-rf.jpg\r\n/tmp/two\nlines.jpg\r\n"
       "/tmp/cr\r.jpg\r\n"},
      {"percent-decoded", {QUrl("file:///tmp/a%20b%25c.jpg")}, "/tmp/a b%c.jpg"},
      {"a name that is not UTF-8 keeps its bytes",
       {QUrl("file:///tmp/caf%E9.jpg")},
       "/tmp/caf\xE9.jpg"},
      {"localhost", {QUrl("file://localhost/tmp/a.jpg")}, "/tmp/a.jpg"},
      {"other URLs left out",
       {QUrl("https://example.com/a.jpg"), Local("/tmp/a.jpg"), QUrl("file://elsewhere/tmp/b.jpg"),
        QUrl("ftp://example.com/c.jpg")},
       "/tmp/a.jpg"},
      {"names the text cannot carry",
       {QUrl("file:///tmp/a%0D%0A/etc/b.jpg"), QUrl("file:///tmp/a.jpg%00.txt"),
        QUrl("file:relative.jpg")},
       ""},
      {"nothing", {}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::GotFileText(c.urls), c.text) << c.what;
    EXPECT_EQ(platform::HasLocalFile(c.urls), !c.text.empty()) << c.what;
  }
}

TEST(DroppedFilesTest, TenThousandFilesGiveOneLineEach) {
  QList<QUrl> urls;
  for (int i = 0; i < 10000; ++i) urls.push_back(Local(("/tmp/" + std::to_string(i)).c_str()));
  const std::string text = platform::GotFileText(urls);
  EXPECT_TRUE(text.starts_with("/tmp/0\r\n/tmp/1\r\n"));
  EXPECT_TRUE(text.ends_with("\r\n/tmp/9999\r\n"));
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 10000u);
}

}  // namespace
