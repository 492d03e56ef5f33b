#include "engine/MappedStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/RasterImage.h"
#include "tests/support/Files.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::ScopedTempDir;

TEST(MappedStoreTest, AllocateMapsAZeroedFileNamedByTheFirstFreeNumber) {
  ScopedTempDir dir;
  testing::WriteBytes(dir.File("RVKCLASS0.tmp"), {1});
  MappedStore store;
  ASSERT_TRUE(store.Allocate(5000, kTempPrefix, nullptr));
  EXPECT_EQ(store.LastFailure(), Failure::None);
  EXPECT_EQ(store.Size(), 5000u);
  EXPECT_STREQ(store.FileName().Text(), dir.File("RVKCLASS1.tmp").c_str());
  ASSERT_NE(store.Data(), nullptr);
  EXPECT_TRUE(std::all_of(store.Data(), store.Data() + 5000, [](auto b) { return b == 0; }));
  store.Data()[4999] = 0x5A;
  store.Flush(nullptr, 0);

  EXPECT_TRUE(store.Free(true));
  EXPECT_EQ(store.Data(), nullptr);
  EXPECT_EQ(store.Size(), 0u);
  EXPECT_TRUE(store.FileName().Empty());
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"RVKCLASS0.tmp"});
}

// A live store's file is already gone from its folder, so a killed process leaves nothing; its
// name is free for the next store, which still gets a file of its own.
TEST(MappedStoreTest, TheFileLeavesItsFolderAsSoonAsItIsCreated) {
  ScopedTempDir dir;
  testing::WriteBytes(dir.File("own.bin"), {9, 9, 9, 9, 9, 9, 9, 9});
  MappedStore first, second, given;
  ASSERT_TRUE(first.Allocate(3, kTempPrefix, nullptr));
  ASSERT_TRUE(second.Allocate(3, kTempPrefix, nullptr));
  ASSERT_TRUE(given.Allocate(4, kTempPrefix, dir.File("own.bin").c_str()));
  EXPECT_TRUE(dir.Files().empty());
  EXPECT_STREQ(first.FileName().Text(), dir.File("RVKCLASS0.tmp").c_str());
  EXPECT_STREQ(second.FileName().Text(), dir.File("RVKCLASS0.tmp").c_str());
  EXPECT_TRUE(std::all_of(given.Data(), given.Data() + 4, [](auto b) { return b == 0; }));

  first.Data()[0] = 7;
  second.Data()[0] = 8;
  EXPECT_EQ(first.Data()[0], 7);
  first.Free(false);
  EXPECT_EQ(second.Data()[0], 8);
  second.Free(true);
  given.Free(true);
  EXPECT_TRUE(dir.Files().empty());
}

TEST(MappedStoreTest, AMissingTemporaryFolderFallsBackToTmp) {
  ScopedTempDir dir;
  setenv("TMPDIR", dir.File("gone").c_str(), 1);
  MappedStore store;
  ASSERT_TRUE(store.Allocate(16, kTempPrefix, nullptr));
  const std::string name = store.FileName().Text();
  // The name is given up as soon as the file is made, so another process may hold it by now:
  // only where it was made is checked here; private folders check that nothing is left.
  EXPECT_TRUE(name.starts_with("/tmp/RVKCLASS")) << name;
  store.Free(true);
}

TEST(MappedStoreTest, EachFailureSaysWhyAndLeavesNoFile) {
  ScopedTempDir dir;
  struct Case {
    const char* what;
    std::uint32_t size;
    const char* prefix;
    std::string path;
    // The temporary folder for the row; the test's own when empty.
    std::string tmpdir;
    // A file size limit for the row; none when 0.
    rlim_t limit;
    Failure failure;
  };
  const Case cases[] = {
      {"size 0", 0, kTempPrefix, {}, {}, 0, Failure::InvalidArgument},
      {"no prefix", 16, nullptr, {}, {}, 0, Failure::InvalidArgument},
      {"empty prefix", 16, "", {}, {}, 0, Failure::InvalidArgument},
      // procfs is a folder that takes no new file, even from root.
      {"a folder that takes no file", 16, kTempPrefix, {}, "/proc", 0, Failure::NoTempFolder},
      {"a path in a missing folder",
       16,
       kTempPrefix,
       dir.File("none/own.bin"),
       {},
       0,
       Failure::NoTempFolder},
      // Past the file size limit, reserving the space fails as on a full disk.
      {"no space for the bytes", 1 << 20, kTempPrefix, {}, {}, 4096, Failure::NoSpaceForStore},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setenv("TMPDIR", c.tmpdir.empty() ? dir.Path().c_str() : c.tmpdir.c_str(), 1);
    MappedStore store;
    bool allocated = false;
    {
      std::optional<testing::ScopedFileSizeLimit> limit;
      if (c.limit != 0) limit.emplace(c.limit);
      allocated = store.Allocate(c.size, c.prefix, c.path.empty() ? nullptr : c.path.c_str());
    }
    EXPECT_FALSE(allocated);
    EXPECT_EQ(store.LastFailure(), c.failure);
    EXPECT_EQ(store.Data(), nullptr);
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_TRUE(dir.Files().empty());
  }
}

}  // namespace
}  // namespace dropshrink
