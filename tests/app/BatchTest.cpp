// The batch driver's pieces without a window: which names are pictures, what each output is
// called, and which files a dropped folder holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/FolderWalk.h"
#include "app/OutputPath.h"
#include "app/SupportedImage.h"
#include "tests/support/ScopedTempDir.h"

namespace app {
namespace {

using dropshrink::testing::ScopedTempDir;

TEST(SupportedImageTest, SuffixesIgnoreCaseAndTakeTif) {
  const struct {
    const char* path;
    bool supported;
  } cases[] = {
      {"/a/photo.jpg", true},
      {"/a/DSC_0001.JPG", true},
      {"/a/x.jpeg", true},
      {"/a/x.bmp", true},
      {"/a/scan.tiff", true},
      {"/a/scan.tif", true},
      {"/a/scan.TIFF", true},
      {"/a/pic.Png", true},
      {"/a/x.pcx", true},
      {"/a/x.PCD", true},
      {".jpg", true},
      {"/a/notes.txt", false},
      {"/a/photo.jpg.txt", false},
      {"/a/jpg", false},
      {"/a/x.gif", false},
      {"/a/x.jp", false},
      {"", false},
      {"/a/照片.JPG", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSupportedImage(c.path), c.supported) << c.path;
}

TEST(OutputPathTest, BaseNameThenSuffixInTheFolder) {
  const struct {
    const char* folder;
    const char* source;
    const char* output;
  } cases[] = {
      {"/out/", "/in/x.jpg", "/out/x_压缩.jpg"},
      {"/out", "/in/x.jpg", "/out/x_压缩.jpg"},
      {"/out/", "/in/a.b.png", "/out/a.b_压缩.jpg"},
      {"/out/", "/in/.jpg", "/out/_压缩.jpg"},
      {"/out/", "/in.d/name", "/out/name_压缩.jpg"},
      {"/out/", "/in/照片.一.JPG", "/out/照片.一_压缩.jpg"},
      {"/out/", "/in/-x y.png", "/out/-x y_压缩.jpg"},
      {"/", "/in/x.tif", "/x_压缩.jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeOutputPath(c.folder, c.source), c.output) << c.source;
}

void Touch(const std::filesystem::path& path) {
  std::ofstream(path) << "x";
}

TEST(FolderWalkTest, FilesDirectlyInTheFolderOnly) {
  ScopedTempDir dir;
  Touch(dir.Path() / "a.jpg");
  Touch(dir.Path() / ".hidden.png");
  Touch(dir.Path() / "notes.txt");
  std::filesystem::create_directory(dir.Path() / "sub.jpg");
  Touch(dir.Path() / "sub.jpg" / "inner.jpg");
  std::filesystem::create_symlink("nowhere.jpg", dir.Path() / "dangling.jpg");

  for (const std::string& folder : {dir.Path().string(), dir.Path().string() + "/"}) {
    std::vector<std::string> files = FolderFiles(folder);
    std::ranges::sort(files);
    const std::string prefix = dir.Path().string() + "/";
    EXPECT_EQ(files, (std::vector<std::string>{prefix + ".hidden.png", prefix + "a.jpg",
                                               prefix + "dangling.jpg", prefix + "notes.txt"}));
  }
}

TEST(FolderWalkTest, NothingForAFileAMissingFolderOrNoName) {
  ScopedTempDir dir;
  Touch(dir.Path() / "a.jpg");
  EXPECT_TRUE(FolderFiles(dir.File("a.jpg")).empty());
  EXPECT_TRUE(FolderFiles(dir.File("missing")).empty());
  EXPECT_TRUE(FolderFiles("").empty());
}

// The command line's walk: each folder's files in name order before its subfolders, with the
// folder each was found in; links to folders are not followed, so a link back up cannot loop.
TEST(FolderWalkTest, TreeInNameOrderWithoutFollowingLinksToFolders) {
  ScopedTempDir dir;
  std::filesystem::create_directories(dir.Path() / "sub" / "deep");
  std::filesystem::create_directory(dir.Path() / "z");
  for (const char* name : {"b.txt", "a.jpg", "sub/deep/d.jpg", "sub/c.jpg", "z/e.jpg"}) {
    Touch(dir.Path() / name);
  }
  std::filesystem::create_directory_symlink("..", dir.Path() / "sub" / "up");
  std::filesystem::create_symlink("a.jpg", dir.Path() / "link.jpg");
  const std::string top = dir.Path().string();

  std::vector<std::pair<std::string, std::string>> walked;
  const FolderTree tree = WalkFolderTree(top, true);
  for (const WalkedFile& file : tree.files) walked.emplace_back(file.path, file.subfolder);
  const std::string p = top + "/";
  EXPECT_EQ(walked, (std::vector<std::pair<std::string, std::string>>{
                        {p + "a.jpg", ""},
                        {p + "b.txt", ""},
                        {p + "link.jpg", ""},
                        {p + "sub/c.jpg", "sub/"},
                        {p + "sub/deep/d.jpg", "sub/deep/"},
                        {p + "z/e.jpg", "z/"},
                    }));
  EXPECT_TRUE(tree.unreadable.empty());

  EXPECT_EQ(WalkFolderTree(top + "/", false).files.size(), 3u);
  const FolderTree notAFolder = WalkFolderTree(p + "a.jpg", true);
  EXPECT_TRUE(notAFolder.files.empty());
  EXPECT_EQ(notAFolder.unreadable, std::vector<std::string>{p + "a.jpg"});
}

}  // namespace
}  // namespace app
