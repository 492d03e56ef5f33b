// A drop on MainWindow, headless, through the real engine: what is converted, where it goes, and
// what the window shows meanwhile.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "platform/window/WindowTable.h"
#include "tests/support/Files.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

const Names kSamples = {"colour-bmp.bmp",     "colour-jpeg.jpg",  "colour-pcx.pcx",
                        "colour-photocd.pcd", "colour-tiff.tiff", "grey-jpeg.jpg",
                        "palette-png.png"};
const Names kSampleOutputs = {"colour-bmp_压缩.jpg",  "colour-jpeg_压缩.jpg",
                              "colour-pcx_压缩.jpg",  "colour-photocd_压缩.jpg",
                              "colour-tiff_压缩.jpg", "grey-jpeg_压缩.jpg",
                              "palette-png_压缩.jpg"};

bool IsJpeg(const fs::path& path) {
  const auto bytes = dropshrink::testing::ReadBytes(path.string());
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
         bytes[bytes.size() - 2] == 0xFF && bytes[bytes.size() - 1] == 0xD9;
}

class DropHandlingTest : public AppTest {
 protected:
  DropHandlingTest() {
    fs::create_directory(in_);
    fs::create_directory(out_);
    browser_.answer = out_.string();
  }

  const fs::path in_ = home_.Path() / "in";
  const fs::path out_ = home_.Path() / "out";
};

TEST_F(DropHandlingTest, OneFileGoesIntoTheChosenFolder) {
  CopySample("colour-jpeg.jpg", in_ / "x.jpg");
  Drop((in_ / "x.jpg").string());

  EXPECT_EQ(FilesIn(out_), Names{"x_压缩.jpg"});
  EXPECT_TRUE(IsJpeg(out_ / "x_压缩.jpg"));
  ASSERT_EQ(browser_.asked.size(), 1u);
  EXPECT_EQ(browser_.asked[0].title, "另存至");
  EXPECT_EQ(browser_.asked[0].initialSelection, (home_.Path() / "Desktop").string() + "/");
}

TEST_F(DropHandlingTest, OneFolderEverySampleAndNothingBelowIt) {
  for (const std::string& sample : kSamples) CopySample(sample, in_ / sample);
  std::ofstream(in_ / "notes.txt") << "not a picture";
  fs::create_directory(in_ / "sub");
  CopySample("colour-jpeg.jpg", in_ / "sub" / "inner.jpg");
  browser_.answer = out_.string() + "/";

  Drop(in_.string());

  EXPECT_EQ(FilesIn(out_), kSampleOutputs);
  for (const std::string& output : kSampleOutputs) EXPECT_TRUE(IsJpeg(out_ / output)) << output;
  EXPECT_EQ(FilesIn(home_.Path()), Names{}) << "no temporary file is left";
  EXPECT_GE(presenter_.Housekeeping(), static_cast<int>(kSamples.size()));
}

TEST_F(DropHandlingTest, CameraAndScannerNamesAreConverted) {
  for (const char* name : {"DSC_0001.JPG", "pic.Png", "scan.tif", "scan.tiff"}) {
    const bool png = std::string(name).ends_with("Png");
    const bool tiff = std::string(name).find(".tif") != std::string::npos;
    CopySample(png ? "palette-png.png" : tiff ? "colour-tiff.tiff" : "colour-jpeg.jpg", in_ / name);
  }
  Drop(in_.string());
  // scan.tif and scan.tiff have one output name: the later one replaces the other.
  EXPECT_EQ(FilesIn(out_), (Names{"DSC_0001_压缩.jpg", "pic_压缩.jpg", "scan_压缩.jpg"}));
}

TEST_F(DropHandlingTest, TheWalkedFolderAsOutputFolderIsNotWalkedAgain) {
  CopySample("colour-jpeg.jpg", in_ / "a.jpg");
  CopySample("palette-png.png", in_ / "b.png");
  browser_.answer = in_.string();

  Drop(in_.string());

  EXPECT_EQ(FilesIn(in_), (Names{"a.jpg", "a_压缩.jpg", "b.png", "b_压缩.jpg"}));
}

TEST_F(DropHandlingTest, SeveralItemsAreConvertedButFoldersAmongThemAreNotWalked) {
  CopySample("colour-jpeg.jpg", in_ / "a.jpg");
  CopySample("colour-bmp.bmp", in_ / "b b.bmp");
  fs::create_directory(in_ / "folder");
  CopySample("colour-jpeg.jpg", in_ / "folder" / "inner.jpg");

  Drop((in_ / "a.jpg").string() + "\r\n" + (in_ / "folder").string() + "\r\n" +
       (in_ / "b b.bmp").string() + "\r\n");

  EXPECT_EQ(FilesIn(out_), (Names{"a_压缩.jpg", "b b_压缩.jpg"}));
}

TEST_F(DropHandlingTest, StatusPicturesInOrderWithTheDoneOneShownForItsTime) {
  CopySample("colour-jpeg.jpg", in_ / "x.jpg");
  Drop((in_ / "x.jpg").string());

  const auto& shown = presenter_.statuses;
  ASSERT_EQ(StatusNames(), (Names{"DragHint", "Loading", "Done", "DragHint"}));
  EXPECT_GE(shown[3].time - shown[2].time, std::chrono::milliseconds(1500));
}

TEST_F(DropHandlingTest, AlwaysOnTopIsOffWhileTheBrowserIsOpen) {
  ASSERT_TRUE(platform::IsWindowTopmost(main_));
  Drop((in_ / "missing.jpg").string());
  ASSERT_EQ(browser_.asked.size(), 1u);
  EXPECT_FALSE(browser_.asked[0].mainWindowOnTop);
  EXPECT_TRUE(platform::IsWindowTopmost(main_));
}

TEST_F(DropHandlingTest, CancelConvertsNothingAndLeavesTheDragHint) {
  CopySample("colour-jpeg.jpg", in_ / "x.jpg");
  browser_.answer = "";

  Drop((in_ / "x.jpg").string());

  EXPECT_EQ(FilesIn(out_), Names{});
  EXPECT_EQ(FilesIn(in_), Names{"x.jpg"});
  EXPECT_EQ(StatusNames(), Names{"DragHint"});
  EXPECT_TRUE(platform::IsWindowTopmost(main_));
}

TEST_F(DropHandlingTest, BadDropsConvertWhatTheyCanAndEndOnTheDragHint) {
  CopySample("colour-jpeg.jpg", in_ / "-x\ny 照片.jpg");
  std::string many;
  for (int i = 0; i < 10000; ++i)
    many += (in_ / ("gone-" + std::to_string(i) + ".jpg")).string() + "\r\n";
  const std::string drops[] = {
      (in_ / "gone.jpg").string(),
      (in_ / "gone-folder").string(),
      many,
      (in_ / "-x\ny 照片.jpg").string(),
  };
  for (const std::string& drop : drops) Drop(drop);

  EXPECT_EQ(FilesIn(out_), Names{"-x\ny 照片_压缩.jpg"});
  EXPECT_EQ(StatusNames().back(), "DragHint");
}

TEST_F(DropHandlingTest, ADropWhileADropIsHandledIsRefused) {
  CopySample("colour-jpeg.jpg", in_ / "a.jpg");
  CopySample("colour-jpeg.jpg", in_ / "b.jpg");
  browser_.whileOpen = [this] { Drop((in_ / "b.jpg").string()); };

  Drop((in_ / "a.jpg").string());

  EXPECT_EQ(browser_.asked.size(), 1u);
  EXPECT_EQ(FilesIn(out_), Names{"a_压缩.jpg"});
}

}  // namespace
}  // namespace apptest
