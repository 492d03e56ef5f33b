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
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/PhotoLike.h"
#include "tests/support/PhotoMetadata.h"
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

// Runs a shell command as it is and returns what it wrote to its standard output.
CommandRun Capture(const std::string& command) {
  std::FILE* pipe = popen(command.c_str(), "r");
  CommandRun run{-1, {}};
  if (pipe == nullptr) return run;
  char chunk[256];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
    run.output.append(chunk, got);
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Both output streams together.
CommandRun RunCommand(const std::string& command) {
  return Capture(command + " 2>&1");
}

std::string Cli() {
  return DROPSHRINK_CLI;
}

struct SplitRun {
  int status;
  std::string out;
  std::string err;
};

// Runs a shell command with its standard output and standard error kept apart; `scratch` is a
// file name the error stream may pass through.
SplitRun RunSplit(const std::string& command, const std::string& scratch) {
  const CommandRun run = Capture("(" + command + ") 2>'" + scratch + "'");
  const testing::Bytes err = ReadBytes(scratch);
  std::filesystem::remove(scratch);
  return {run.status, run.output, {err.begin(), err.end()}};
}

// Every file and folder below `top`, as paths relative to it, sorted.
std::vector<std::string> Tree(const std::filesystem::path& top) {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    paths.push_back(std::filesystem::relative(entry.path(), top).string());
  }
  std::ranges::sort(paths);
  return paths;
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

// A portrait phone photo, stored on its side with an EXIF orientation and a wide-gamut profile
// over three markers, comes out upright with its profile: what djpeg, pnmflip and cjpeg -icc make.
TEST(CliTest, APhonePhotoComesOutUprightWithItsProfile) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("sideways.jpg"), true);
  const testing::MetadataBytes profile = testing::Profile(150'000);
  testing::WriteBytes(dir.File("p3.icc"), profile);
  ASSERT_EQ(RunCommand("djpeg " + dir.File("sideways.jpg") + " | cjpeg -quality 92 -icc " +
                       dir.File("p3.icc") + " > " + dir.File("with-profile.jpg"))
                .status,
            0);
  const testing::MetadataBytes exif = testing::ExifBlock({.orientation = 6, .bigEndian = true});
  testing::WriteBytes(dir.File("phone.jpg"),
                      testing::WithMarker(ReadBytes(dir.File("with-profile.jpg")), 0xE1,
                                          testing::ExifMarker(exif)));
  std::filesystem::create_directory(dir.Path() / "out");

  const CommandRun run = RunCommand(Cli() + " -o " + dir.File("out") + " " + dir.File("phone.jpg"));
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(RunCommand("djpeg " + dir.File("with-profile.jpg") +
                       " | pnmflip -cw | cjpeg -quality 75 -optimize -icc " + dir.File("p3.icc") +
                       " > " + dir.File("reference.jpg"))
                .status,
            0);
  const auto output = ReadBytes(dir.File("out/phone_压缩.jpg"));
  ASSERT_FALSE(output.empty());
  EXPECT_TRUE(output == ReadBytes(dir.File("reference.jpg")));
}

// Converted and skipped files are reported on standard output; failures and usage errors, which
// are errors, on standard error.
TEST(CliTest, ExitStatusAndStreamTellWhatHappened) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("a.b.jpg"), true);
  testing::WriteBytes(dir.File("notes.txt"), {'n'});
  const testing::Bytes source = ReadBytes(dir.File("a.b.jpg"));
  const std::string a = " " + dir.File("a.b.jpg");
  const std::string out = " -o " + dir.Path().string();
  struct Case {
    std::string arguments;
    int status;
    std::string printed;
    bool onStandardError;
  };
  const Case cases[] = {
      {out + a, 0, "a.b_压缩.jpg: Succeeded", false},
      {a, 0, dir.File("a.b_压缩.jpg") + ": Succeeded", false},
      {out + a + " " + dir.File("none.png"), 1, "none_压缩.jpg: SourceMissing", true},
      {" -o " + dir.File("no-folder") + a, 1, "WriteFailed", true},
      {" " + dir.File("notes.txt"), 0, "notes.txt: Skipped (not a picture name", false},
      {" --quiet" + out + a + " " + dir.File("none.png"), 1, "none_压缩.jpg: SourceMissing", true},
      {" --suffix ''" + a, 1, "InvalidArgument (the output would replace its source)", true},
      {" --version", 0, "dropshrink-cli " DROPSHRINK_VERSION "\n", false},
      {" --help" + a, 0, "--skip-larger", false},
      {"", 2, "usage", true},
      {out, 2, "usage", true},
      {" -x" + out + a, 2, "invalid option -- 'x'", true},
      {" --bogus" + a, 2, "unrecognized option '--bogus'", true},
      {" -j 0" + out + a, 2, "usage", true},
      {out + " -j", 2, "usage", true},
      {" -q 101" + a, 2, "invalid quality '101'", true},
      {" --smoothing=-1" + a, 2, "invalid smoothing '-1'", true},
      {" --grey=1" + a, 2, "usage", true},
      {" --suffix a/b" + a, 2, "usage", true},
      {" -o ''" + a, 2, "usage", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const SplitRun run = RunSplit(Cli() + c.arguments, dir.File("stderr"));
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    const std::string& expected = c.onStandardError ? run.err : run.out;
    EXPECT_NE(expected.find(c.printed), std::string::npos) << run.out << run.err;
    if (c.arguments.starts_with(" --quiet")) {
      EXPECT_EQ(run.out, "");
    }
  }
  EXPECT_TRUE(ReadBytes(dir.File("a.b.jpg")) == source);
}

// Every setting a user can change gives the file Debian's cjpeg writes with the same settings.
// Grey output is judged on a grey picture stored in colour: for it, our grey levels and cjpeg's
// luminance agree exactly, while for colour the two weight red, green and blue a little apart.
TEST(CliTest, SettingsGiveWhatCjpegWrites) {
  ScopedTempDir dir;
  testing::WriteBytes(dir.File("photo.bmp"), testing::Bitmap24(testing::PhotoLike(301, 203, 3)));
  testing::WriteBytes(dir.File("grey.bmp"), testing::Bitmap24(testing::PhotoLike(301, 203, 1)));
  const struct {
    std::string options;
    std::string source;
    JpegSettings settings;
  } cases[] = {
      {"", "photo", kApplicationSettings},
      {"-q 40", "photo", {.grey = false, .quality = 40, .optimizeCoding = true, .smoothing = 0}},
      {"-q10", "photo", {.grey = false, .quality = 10, .optimizeCoding = true, .smoothing = 0}},
      {"--quality=90 --no-optimize",
       "photo",
       {.grey = false, .quality = 90, .optimizeCoding = false, .smoothing = 0}},
      {"--smoothing 30",
       "photo",
       {.grey = false, .quality = 75, .optimizeCoding = true, .smoothing = 30}},
      {"--grey", "grey", {.grey = true, .quality = 75, .optimizeCoding = true, .smoothing = 0}},
      {"--grey -q 60 --smoothing=10",
       "grey",
       {.grey = true, .quality = 60, .optimizeCoding = true, .smoothing = 10}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    std::filesystem::remove_all(dir.Path() / "out");
    std::filesystem::create_directory(dir.Path() / "out");
    const std::string source = dir.File(c.source + ".bmp");
    const CommandRun run =
        RunCommand(Cli() + " " + c.options + " -o " + dir.File("out") + " " + source);
    ASSERT_EQ(run.status, 0) << run.output;
    const testing::Bytes reference =
        testing::CjpegReferenceOf(source, dir.File("reference.jpg"), c.settings);
    ASSERT_FALSE(reference.empty());
    EXPECT_TRUE(ReadBytes(dir.File("out/" + c.source + "_压缩.jpg")) == reference);
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
// Not even a killed run leaves its pixel store behind. Every other run keeps its output aside for
// --skip-larger before it may replace the destination, and that file must go too.
TEST(CliTest, AnInterruptedRunLeavesNothingBehind) {
  ScopedTempDir dir;
  testing::WriteBytes(dir.File("big.bmp"), testing::Bitmap24(testing::PhotoLike(3000, 2000, 3)));
  std::filesystem::create_directory(dir.Path() / "out");
  const std::string destination = dir.File("out/big_压缩.jpg");
  const std::vector<std::string> plain = {"-o", dir.File("out"), dir.File("big.bmp")};
  const std::vector<std::string> staged = {"--skip-larger", "-o", dir.File("out"),
                                           dir.File("big.bmp")};
  ASSERT_EQ(RunCommand(Cli() + " -o " + dir.File("out") + " " + dir.File("big.bmp")).status, 0);
  const testing::Bytes complete = ReadBytes(destination);
  const testing::Bytes older = {0xFF, 0xD8, 'o', 'l', 'd', 0xFF, 0xD9};

  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    bool caught = false;
    bool stage = false;
    for (const int delay : {0, 10, 30, 60, 100, 150, 250, 400, 700}) {
      stage = !stage;
      SCOPED_TRACE(std::string(strsignal(signal)) + " after " + std::to_string(delay) + " ms" +
                   (stage ? " with --skip-larger" : ""));
      testing::WriteBytes(destination, older);
      const int status =
          RunAndSignal(stage ? staged : plain, signal, std::chrono::milliseconds(delay));
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
      // The engine's output has no name until it is complete; only the file --skip-larger
      // stages under a name is left when nothing can run at the end.
      if (signal != SIGKILL || !stage) {
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

// A small tree of pictures, with a text file, a picture name of any case and a link that leads back
// up, which a walk must not follow.
void MakePictureTree(const ScopedTempDir& dir) {
  const std::filesystem::path in = dir.Path() / "in";
  std::filesystem::create_directories(in / "sub" / "deep");
  WritePhotoLike((in / "a.jpg").string(), true);
  for (const char* name : {"B.JPG", "sub/c.jpeg", "sub/deep/d.tif"}) {
    std::filesystem::copy_file(in / "a.jpg", in / name);
  }
  testing::WriteBytes((in / "notes.txt").string(), {'n'});
  std::filesystem::create_directory_symlink("..", in / "sub" / "up");
}

// A folder is walked like a folder dropped on the window: its pictures directly in it, or with -r
// the whole tree, with the subfolders made again under -o; other files pass without a word.
TEST(CliTest, FoldersAreWalkedLikeADroppedFolder) {
  const struct {
    std::string options;
    std::vector<std::string> written;
  } cases[] = {
      {"", {"in/B_压缩.jpg", "in/a_压缩.jpg"}},
      {"-r", {"in/B_压缩.jpg", "in/a_压缩.jpg", "in/sub/c_压缩.jpg", "in/sub/deep/d_压缩.jpg"}},
      {"-r --suffix .small",
       {"in/B.small.jpg", "in/a.small.jpg", "in/sub/c.small.jpg", "in/sub/deep/d.small.jpg"}},
      {"-r -o out",
       {"out/B_压缩.jpg", "out/a_压缩.jpg", "out/sub", "out/sub/c_压缩.jpg", "out/sub/deep",
        "out/sub/deep/d_压缩.jpg"}},
      {"-o out", {"out/B_压缩.jpg", "out/a_压缩.jpg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    ScopedTempDir dir;
    MakePictureTree(dir);
    std::filesystem::create_directory(dir.Path() / "out");
    const std::vector<std::string> before = Tree(dir.Path());
    const SplitRun run = RunSplit(
        "cd " + dir.Path().string() + " && " + Cli() + " " + c.options + " in", dir.File("stderr"));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.find("notes"), std::string::npos) << run.out;
    std::vector<std::string> added;
    std::ranges::set_difference(Tree(dir.Path()), before, std::back_inserter(added));
    EXPECT_EQ(added, c.written) << run.out;
    // The summary counts what was written.
    const std::size_t pictures = c.written.size() > 2 ? 4 : 2;
    EXPECT_NE(run.out.find(std::to_string(pictures) + " converted, 0 failed, 0 skipped"),
              std::string::npos)
        << run.out;
  }
}

// An output folder inside the walked tree holds the last run's outputs: a second run must not
// convert them again into a folder nested one deeper.
TEST(CliTest, AnOutputFolderInsideTheTreeIsNotWalked) {
  ScopedTempDir dir;
  MakePictureTree(dir);
  const std::string command = Cli() + " -r -o " + dir.File("in/sub/small") + " " + dir.File("in");
  std::filesystem::create_directory(dir.Path() / "in" / "sub" / "small");
  for (int run = 0; run < 2; ++run) {
    const CommandRun second = RunCommand(command);
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find("4 converted"), std::string::npos) << second.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "in" / "sub" / "small" / "sub" / "small"));
}

// A subfolder under -o that cannot be made fails the files meant for it, saying why; the others
// are still converted.
TEST(CliTest, ASubfolderThatCannotBeMadeFailsItsFiles) {
  ScopedTempDir dir;
  MakePictureTree(dir);
  std::filesystem::create_directory(dir.Path() / "out");
  testing::WriteBytes(dir.File("out/sub"), {'x'});
  const SplitRun run =
      RunSplit(Cli() + " -r -o " + dir.File("out") + " " + dir.File("in"), dir.File("stderr"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("c_压缩.jpg: WriteFailed (cannot make the folder " + dir.File("out/sub")),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("2 converted, 2 failed"), std::string::npos) << run.out;
}

TEST(CliTest, ADryRunListsTheOutputsAndWritesNothing) {
  ScopedTempDir dir;
  MakePictureTree(dir);
  const std::vector<std::string> before = Tree(dir.Path());
  const SplitRun run = RunSplit(Cli() + " -n -r -o " + dir.File("out/new") + " " + dir.File("in") +
                                    " " + dir.File("in/notes.txt"),
                                dir.File("stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Tree(dir.Path()), before);
  EXPECT_NE(run.out.find(dir.File("in/sub/deep/d.tif") + " -> " +
                         dir.File("out/new/sub/deep/d_压缩.jpg")),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("4 to convert"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 skipped"), std::string::npos) << run.out;

  const SplitRun missing = RunSplit(Cli() + " -n " + dir.File("gone.jpg"), dir.File("stderr"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("gone_压缩.jpg: SourceMissing"), std::string::npos) << missing.err;
  EXPECT_EQ(Tree(dir.Path()), before);
}

// An output larger than its source is not kept, and an older output of that name stays byte for
// byte; a smaller one replaces it as usual.
TEST(CliTest, SkipLargerKeepsTheOlderOutput) {
  ScopedTempDir dir;
  WritePhotoLike(dir.File("small.jpg"), true);
  testing::WriteBytes(dir.File("big.bmp"), testing::Bitmap24(testing::PhotoLike(300, 200, 3)));
  std::filesystem::create_directory(dir.Path() / "out");
  const testing::Bytes older = {0xFF, 0xD8, 'o', 'l', 'd', 0xFF, 0xD9};
  testing::WriteBytes(dir.File("out/small_压缩.jpg"), older);
  testing::WriteBytes(dir.File("out/big_压缩.jpg"), older);

  const SplitRun run = RunSplit(Cli() + " --skip-larger -q 100 -o " + dir.File("out") + " " +
                                    dir.File("small.jpg") + " " + dir.File("big.bmp"),
                                dir.File("stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string small = std::to_string(std::filesystem::file_size(dir.File("small.jpg")));
  EXPECT_NE(
      run.out.find("small_压缩.jpg: Skipped (output larger than its source), " + small + " -> "),
      std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("1 converted, 0 failed, 1 skipped"), std::string::npos) << run.out;
  EXPECT_TRUE(ReadBytes(dir.File("out/small_压缩.jpg")) == older);
  EXPECT_TRUE(ReadBytes(dir.File("out/big_压缩.jpg")) ==
              testing::CjpegReferenceOf(
                  dir.File("big.bmp"), dir.File("reference.jpg"),
                  {.grey = false, .quality = 100, .optimizeCoding = true, .smoothing = 0}));
  EXPECT_TRUE(FilesStartingWith(dir.File("out"), ".dropshrink-").empty());
}

// A newline in a name would split the report line: the name is printed quoted instead, the way a
// shell reads it back, and the file is still converted under its real name.
TEST(CliTest, NamesWithControlCharactersArePrintedQuoted) {
  ScopedTempDir dir;
  std::filesystem::create_directory(dir.Path() / "in");
  WritePhotoLike(dir.File("in/new\nline.jpg"), true);
  WritePhotoLike(dir.File("in/bell\a.jpg"), true);
  const SplitRun run = RunSplit(Cli() + " " + dir.File("in"), dir.File("stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string in = dir.File("in");
  EXPECT_NE(run.out.find("'" + in + "/new'$'\\n''line_压缩.jpg': Succeeded"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("'" + in + "/bell'$'\\x07''.jpg' -> "), std::string::npos) << run.out;
  EXPECT_EQ(std::ranges::count(run.out, '\n'), 3) << run.out;
  EXPECT_EQ(std::ranges::count(run.out, '\a'), 0) << run.out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("in/new\nline_压缩.jpg")));
}

// The bar goes to standard error and only when a person watches it there; a pipe or a log file
// gets results alone.
TEST(CliTest, AProgressBarOnlyOnATerminal) {
  ScopedTempDir dir;
  MakePictureTree(dir);
  const std::string command = Cli() + " -r -o " + dir.File("out") + " " + dir.File("in");
  std::filesystem::create_directory(dir.Path() / "out");
  const SplitRun piped = RunSplit(command, dir.File("stderr"));
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(piped.out.find_first_of("\r\033"), std::string::npos) << piped.out;

  // script gives the program a pseudo-terminal; standard output is sent to a file past it.
  const CommandRun terminal = RunCommand("script -qec \"" + command + " > " + dir.File("stdout") +
                                         "\" /dev/null < /dev/null");
  EXPECT_EQ(terminal.status, 0) << terminal.output;
  EXPECT_NE(terminal.output.find("/4 files"), std::string::npos) << terminal.output;
  EXPECT_NE(terminal.output.find("\r\033[K"), std::string::npos) << terminal.output;
  const testing::Bytes results = ReadBytes(dir.File("stdout"));
  EXPECT_EQ(std::ranges::count(results, '\n'), 5);
  EXPECT_EQ(std::ranges::count(results, '\033'), 0);
}

}  // namespace
}  // namespace dropshrink
