// dropshrink-cli as a user runs it, and its output against the pipeline a user
// would pick instead: djpeg | cjpeg -quality 75 -optimize.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/readers/JpegCodec.h"
#include "tests/support/Bitmap.h"
#include "tests/support/Files.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/ScopedTempDir.h"

extern char** environ;

namespace dropshrink {
namespace {

using testing::ReadBytes;
using testing::ScopedTempDir;

struct CommandRun {
  int status;
  std::string output;
};

CommandRun RunCommand(const std::string& command) {
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  CommandRun run{-1, {}};
  if (pipe == nullptr) return run;
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) run.output += chunk;
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Cli() {
  return DROPSHRINK_CLI;
}

// Smooth shading with fine detail on top, like a photograph, at odd sizes so
// the partial blocks at the edges count too.
void WritePhotoLike(const std::string& path, bool colour) {
  constexpr int kWidth = 333, kHeight = 251;
  RasterImage image;
  ASSERT_TRUE(image.Create(kWidth, kHeight, colour ? 24 : 8, 0));
  std::uint32_t noise = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < kWidth * (colour ? 3 : 1); ++x) {
      noise = noise * 1103515245u + 12345u;
      const double shade = 128 + 90 * std::sin(x * 0.03 + (x % 3)) * std::cos(y * 0.021);
      row[x] = static_cast<std::uint8_t>(std::clamp(shade + (noise >> 28), 0.0, 255.0));
    }
  }
  JpegCodec codec;
  ASSERT_EQ(codec.Write(path.c_str(), image, 92, colour ? 1 : 0, 0, 0, nullptr), 1);
}

TEST(CliTest, OutputIsByteForByteThePipelinesOutput) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("colour.jpg"), true);
  WritePhotoLike(dir.File("grey.jpg"), false);
  std::filesystem::create_directory(dir.Path() / "out");

  const CommandRun run = RunCommand(Cli() + " -o " + dir.File("out") + " " +
                                    dir.File("colour.jpg") + " " + dir.File("grey.jpg"));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("colour_压缩.jpg: Succeeded"), std::string::npos) << run.output;

  // A grey source is written in colour, as djpeg -rgb hands it to cjpeg.
  ASSERT_EQ(RunCommand("djpeg " + dir.File("colour.jpg") + " | cjpeg -quality 75 -optimize > " +
                       dir.File("colour-ref.jpg"))
                .status,
            0);
  ASSERT_EQ(RunCommand("djpeg -rgb " + dir.File("grey.jpg") + " | cjpeg -quality 75 -optimize > " +
                       dir.File("grey-ref.jpg"))
                .status,
            0);
  const auto colourOut = ReadBytes(dir.File("out/colour_压缩.jpg"));
  const auto greyOut = ReadBytes(dir.File("out/grey_压缩.jpg"));
  ASSERT_FALSE(colourOut.empty());
  EXPECT_TRUE(colourOut == ReadBytes(dir.File("colour-ref.jpg")));
  EXPECT_TRUE(greyOut == ReadBytes(dir.File("grey-ref.jpg")));
}

TEST(CliTest, ExitStatusTellsWhatHappened) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("a.b.jpg"), true);
  struct Case {
    std::string arguments;
    int status;
    std::string printed;
  };
  const Case cases[] = {
      {"-o " + dir.Path().string() + " " + dir.File("a.b.jpg"), 0, "a.b_压缩.jpg: Succeeded"},
      {"-o " + dir.Path().string() + " " + dir.File("a.b.jpg") + " " + dir.File("none.png"), 1,
       "none_压缩.jpg: SourceMissing"},
      {"-o " + dir.File("no-folder") + " " + dir.File("a.b.jpg"), 1, "WriteFailed"},
      {"", 2, "usage"},
      {dir.File("a.b.jpg"), 2, "usage"},
      {"-o " + dir.Path().string(), 2, "usage"},
      {"-x -o " + dir.Path().string() + " " + dir.File("a.b.jpg"), 2, "usage"},
      {"-j 0 -o " + dir.Path().string() + " " + dir.File("a.b.jpg"), 2, "usage"},
      {"-o " + dir.Path().string() + " -j", 2, "usage"},
  };
  for (const Case& c : cases) {
    const CommandRun run = RunCommand(Cli() + " " + c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.printed), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

TEST(CliTest, EveryFailedFileSaysWhy) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("photo.jpg"), true);
  const auto photo = ReadBytes(dir.File("photo.jpg"));
  testing::WriteBytes(dir.File("cut.jpg"), {photo.begin(), photo.begin() + 200});
  testing::WriteBytes(dir.File("notes.png"), {'n', 'o', 't', 'e', 's'});
  struct Case {
    std::string command;
    std::string printed;
  };
  const std::string out = " -o " + dir.Path().string() + " ";
  const Case cases[] = {
      {Cli() + out + dir.File("none.png"), "none_压缩.jpg: SourceMissing (no such file)"},
      {Cli() + out + dir.File("cut.jpg"), "cut_压缩.jpg: SourceUnreadable (truncated JPEG data)"},
      {Cli() + out + dir.File("notes.png"),
       "notes_压缩.jpg: SourceUnreadable (not a picture of a format this program reads)"},
      {Cli() + " -o " + dir.File("no-folder") + " " + dir.File("photo.jpg"),
       "photo_压缩.jpg: WriteFailed (cannot write to " + dir.File("no-folder")},
      // A temporary folder that takes no more bytes: the file size limit makes reserving the
      // pixel store fail as a full disk would, and the signal it raises is ignored.
      {"sh -c 'trap \"\" XFSZ; ulimit -f 64; exec " + Cli() + out + dir.File("photo.jpg") + "'",
       "photo_压缩.jpg: SourceUnreadable (no space for the pixel store in " + dir.Path().string() +
           "/)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const CommandRun run = RunCommand(c.command);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.printed), std::string::npos) << run.output;
  }
}

TEST(CliTest, ParallelConversionsReportInInputOrderAndMatchOneAtATime) {
  ScopedTempDir dir;
  std::string arguments;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "p" + std::to_string(i) + ".jpg";
    WritePhotoLike(dir.File(name), i % 2 == 0);
    arguments += " " + dir.File(name);
  }
  arguments += " " + dir.File("missing.jpg");
  std::filesystem::create_directory(dir.Path() / "one");
  std::filesystem::create_directory(dir.Path() / "many");

  const CommandRun one = RunCommand(Cli() + " -j 1 -o " + dir.File("one") + arguments);
  const CommandRun many = RunCommand(Cli() + " -j 4 -o " + dir.File("many") + arguments);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(many.status, 1);
  std::size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "p" + std::to_string(i) + "_压缩.jpg";
    at = many.output.find(name + ": Succeeded", at);
    ASSERT_NE(at, std::string::npos) << many.output;
    EXPECT_TRUE(ReadBytes(dir.File("one/" + name)) == ReadBytes(dir.File("many/" + name)));
  }
  EXPECT_NE(many.output.find("missing_压缩.jpg: SourceMissing", at), std::string::npos);
  // Six pictures and two folders; nothing temporary left anywhere.
  EXPECT_EQ(dir.Files().size(), 8u);
  for (const char* folder : {"one", "many"}) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / folder), {}), 6);
  }
}

// Files in `folder` whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::filesystem::path& folder,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix)) found.push_back(name);
  }
  return found;
}

// Starts dropshrink-cli with its output thrown away, sends `signal` after `delay` and returns how
// it ended. A run that outlives its deadline is killed and reported as -1.
int RunAndSignal(const std::vector<std::string>& arguments, int signal,
                 std::chrono::milliseconds delay) {
  std::vector<std::string> words = {Cli()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  std::this_thread::sleep_for(delay);
  kill(child, signal);
  int status = 0;
  for (int waited = 0; waited < 2000; ++waited) {
    if (waitpid(child, &status, WNOHANG) == child) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return -1;
}

// Interrupted at any point, the program leaves either the older output byte for byte or the
// complete new one, and caught signals end it with 128 + the signal and no half-written output.
// A signal can still end it the default way before the handler is set or once the work is done.
// Not even a killed run leaves its pixel store behind.
TEST(CliTest, AnInterruptedRunLeavesNothingBehind) {
  ScopedTempDir dir;
  testing::WriteBytes(dir.File("big.bmp"), testing::Bitmap24(testing::PhotoLike(3000, 2000, 3)));
  std::filesystem::create_directory(dir.Path() / "out");
  const std::string destination = dir.File("out/big_压缩.jpg");
  const std::vector<std::string> arguments = {"-o", dir.File("out"), dir.File("big.bmp")};
  ASSERT_EQ(RunCommand(Cli() + " -o " + dir.File("out") + " " + dir.File("big.bmp")).status, 0);
  const testing::Bytes complete = ReadBytes(destination);
  const testing::Bytes older = {0xFF, 0xD8, 'o', 'l', 'd', 0xFF, 0xD9};

  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    bool caught = false;
    for (const int delay : {0, 10, 30, 60, 100, 150, 250, 400, 700}) {
      SCOPED_TRACE(std::string(strsignal(signal)) + " after " + std::to_string(delay) + " ms");
      testing::WriteBytes(destination, older);
      const int status = RunAndSignal(arguments, signal, std::chrono::milliseconds(delay));
      ASSERT_NE(status, -1) << "still running after its deadline";
      const bool interrupted = WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal;
      const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == signal;
      const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      EXPECT_TRUE(interrupted || killed || finished) << status;
      caught = caught || interrupted;
      // A signal that lands after the rename finds the new output already complete.
      const testing::Bytes left = ReadBytes(destination);
      EXPECT_TRUE(left == older || left == complete);
      EXPECT_TRUE(FilesStartingWith(dir.Path(), "RVKCLASS").empty());
      if (signal != SIGKILL) {
        EXPECT_TRUE(FilesStartingWith(dir.File("out"), ".dropshrink-").empty());
      }
      for (const std::string& name : FilesStartingWith(dir.File("out"), ".dropshrink-"))
        std::filesystem::remove(dir.Path() / "out" / name);
    }
    if (signal != SIGKILL) {
      EXPECT_TRUE(caught) << strsignal(signal) << " never landed mid-run";
    }
  }
}

// Two sources with one output name: they run in list order even in parallel, so the later one's
// output is what remains, and the user is told.
TEST(CliTest, SourcesSharingAnOutputRunInListOrder) {
  ScopedTempDir dir;
  // The earlier source is the slow one, so a parallel run that ignored the order would end with
  // its output.
  testing::WriteBytes(dir.File("a.bmp"), testing::Bitmap24(testing::PhotoLike(1600, 1200, 3)));
  WritePhotoLike(dir.File("a.jpg"), true);
  for (const char* folder : {"alone", "both"})
    std::filesystem::create_directory(dir.Path() / folder);
  ASSERT_EQ(RunCommand(Cli() + " -o " + dir.File("alone") + " " + dir.File("a.jpg")).status, 0);

  const CommandRun run = RunCommand(Cli() + " -j 2 -o " + dir.File("both") + " " +
                                    dir.File("a.bmp") + " " + dir.File("a.jpg"));
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("warning: " + dir.File("a.bmp") + " and " + dir.File("a.jpg")),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(ReadBytes(dir.File("both/a_压缩.jpg")) == ReadBytes(dir.File("alone/a_压缩.jpg")));
}

}  // namespace
}  // namespace dropshrink
