#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "SkinTestSupport.h"
#include "platform/window/MemoryBlocks.h"
#include "platform/window/Threads.h"
#include "skin/LoadDialog.h"

namespace skintest {
namespace {

class LoadDialogTest : public SkinTest {
 protected:
  platform::WindowHandle LoadDialog() {
    return platform::CreateWindow({.exStyle = 0,
                                   .className = "NimboLoadDialog",
                                   .text = "",
                                   .style = 0,
                                   .rect = {10, 10, 110, 60},
                                   .parent = 0});
  }
};

TEST_F(LoadDialogTest, DestroyStopsTheThreadAndFreesTheImageAndItsBlock) {
  std::atomic<bool> stopped = false;
  const platform::ThreadHandle thread = platform::StartThread([&stopped](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::yield();
    stopped = true;
  });
  const platform::ImageHandle image = platform::CreateBitmap(4, 4).image;
  const platform::BlockHandle block = platform::AllocateBlock(16);
  const platform::WindowHandle dialog = LoadDialog();
  platform::SetProperty(dialog, "Nimbo_Thread", thread);
  platform::SetProperty(dialog, "Nimbo_Image", image);
  platform::SetProperty(dialog, "Nimbo_Stream", block);

  ASSERT_TRUE(platform::DestroyWindow(dialog));

  EXPECT_TRUE(stopped);
  EXPECT_FALSE(platform::IsThread(thread));
  EXPECT_FALSE(platform::GetImageDimension(image));
  EXPECT_FALSE(platform::IsBlock(block));
  EXPECT_FALSE(platform::IsWindow(dialog));
}

TEST_F(LoadDialogTest, DestroyWithoutPropertiesTouchesNothing) {
  const platform::BlockHandle unrelated = platform::AllocateBlock(1);
  ASSERT_TRUE(platform::DestroyWindow(LoadDialog()));
  EXPECT_TRUE(platform::IsBlock(unrelated));
  platform::FreeBlock(unrelated);
}

TEST_F(LoadDialogTest, APressDragsTheWindowOnlyWhenHitMoveIsExactlyOne) {
  struct Case {
    std::optional<platform::PropertyValue> hitMove;
    bool drags;
  };
  for (const Case c : {Case{std::nullopt, false}, Case{0, false}, Case{1, true}, Case{2, false}}) {
    const platform::WindowHandle dialog = KeepWindow(LoadDialog());
    if (c.hitMove) platform::SetProperty(dialog, "NimboHitMove", *c.hitMove);
    platform::SetCapture(dialog);
    const std::size_t movesBefore = presenter_.SystemMoves().size();

    presenter_.Click(dialog, {5, 5});

    EXPECT_EQ(presenter_.SystemMoves().size() - movesBefore, c.drags ? 1u : 0u);
    EXPECT_EQ(platform::GetCapture(), c.drags ? 0u : dialog);
    platform::ReleaseCapture();
  }
}

}  // namespace
}  // namespace skintest
