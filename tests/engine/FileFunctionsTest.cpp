#include "engine/FileFunctions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Files.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;
using testing::WriteBytes;

// Wildcards are ordinary name characters: only the literal path counts, and links are followed.
TEST(FileFunctionsTest, ExistenceIsTheLiteralPath) {
  ScopedTempDir dir;
  WriteBytes(dir.File("a.jpg"), {1});
  WriteBytes(dir.File("b?.jpg"), {1});
  std::filesystem::create_directory(dir.Path() / "sub[1]");
  std::filesystem::create_symlink(dir.File("a.jpg"), dir.File("link.jpg"));
  std::filesystem::create_symlink(dir.File("gone.jpg"), dir.File("dangling.jpg"));
  struct Case {
    std::string path;
    bool exists;
  };
  const Case cases[] = {
      {dir.File("a.jpg"), true},         {dir.File("b.jpg"), false},
      {dir.File("*.jpg"), false},        {dir.File("a.jp?"), false},
      {dir.File("b?.jpg"), true},        {dir.Path().string(), true},
      {dir.File("sub[1]"), true},        {dir.File("link.jpg"), true},
      {dir.File("dangling.jpg"), false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExists(c.path.c_str()), c.exists) << c.path;
}

TEST(FileFunctionsTest, IsDirectoryWithAndWithoutTrailingSeparator) {
  ScopedTempDir dir;
  WriteBytes(dir.File("file"), {1});
  struct Case {
    std::string path;
    bool folder;
  };
  const Case cases[] = {
      {dir.Path().string(), true}, {dir.Path().string() + "/", true}, {"/", true},
      {dir.File("file"), false},   {dir.File("missing"), false},
  };
  for (const Case& c : cases) {
    TextBuffer path;
    path.Assign(c.path.c_str());
    EXPECT_EQ(IsDirectory(path), c.folder) << c.path;
  }
}

TEST(FileFunctionsTest, TrailingSeparator) {
  TextBuffer path;
  EXPECT_EQ(AddTrailingSeparator(path), 1);
  EXPECT_STREQ(path.Text(), "/");

  path.Assign("/照片");
  AddTrailingSeparator(path);
  AddTrailingSeparator(path);
  EXPECT_STREQ(path.Text(), "/照片/");
  EXPECT_EQ(RemoveTrailingSeparator(path), 1);
  EXPECT_STREQ(path.Text(), "/照片");
  EXPECT_EQ(RemoveTrailingSeparator(path), 1);
  EXPECT_STREQ(path.Text(), "/照片");

  TextBuffer empty;
  EXPECT_EQ(RemoveTrailingSeparator(empty), 0);
}

TEST(FileFunctionsTest, FileLengthRewindsTheStream) {
  ScopedTempDir dir;
  WriteBytes(dir.File("ten"), std::vector<unsigned char>(10, 7));
  std::FILE* stream = std::fopen(dir.File("ten").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  std::fseek(stream, 4, SEEK_SET);
  EXPECT_EQ(FileLength(stream), 10u);
  EXPECT_EQ(std::ftell(stream), 0);
  std::fclose(stream);
  EXPECT_EQ(FileLength(nullptr), 0u);
}

TEST(FileFunctionsTest, DeleteFileIfExists) {
  ScopedTempDir dir;
  WriteBytes(dir.File("x"), {1});
  EXPECT_TRUE(DeleteFileIfExists(dir.File("missing").c_str()));
  EXPECT_TRUE(DeleteFileIfExists(dir.File("x").c_str()));
  EXPECT_TRUE(dir.Files().empty());
}

TEST(FileFunctionsTest, TempNameSkipsTakenNumbers) {
  ScopedTempDir dir;
  WriteBytes(dir.File("RVKCLASS0.tmp"), {});
  TextBuffer name;
  ASSERT_TRUE(MakeTempFileName(name, "RVKCLASS", nullptr));
  EXPECT_EQ(std::string(name.Text()), dir.File("RVKCLASS1.tmp"));

  ASSERT_TRUE(MakeTempFileName(name, "p", dir.Path().string().c_str()));
  EXPECT_EQ(std::string(name.Text()), dir.File("p0.tmp"));
  EXPECT_FALSE(MakeTempFileName(name, "p", dir.File("missing").c_str()));
}

}  // namespace
}  // namespace dropshrink
