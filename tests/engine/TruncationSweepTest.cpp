// The truncation sweep: every prefix of every fixture, and of a few JPEG files made here, through
// the whole conversion. Each ends within its time in a success or an unreadable source, leaves
// nothing behind, and never makes a picture of a file that lost some of its pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"
#include "tests/support/Files.h"
#include "tests/support/FolderNames.h"
#include "tests/support/HangGuard.h"
#include "tests/support/JpegFiles.h"
#include "tests/support/PictureDataSpan.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink {
namespace {

using testing::Bytes;
using testing::NamesIn;
namespace fs = std::filesystem;

constexpr double kSecondsPerCut = 2;
constexpr unsigned kHangSeconds = 20;
// A file this long or shorter is cut at every length.
constexpr std::size_t kEveryCutUpTo = 16 * 1024;
// A longer one (the Photo CD file holds 770 KiB) at every length through its header and through
// the first rows of its picture data, at every length near the end of that data and of the file,
// and at this many lengths evenly between: cutting it at every length would take many minutes.
constexpr std::size_t kDenseBytes = 4096;
constexpr std::size_t kNearEndBytes = 16;
constexpr std::size_t kStrides = 256;

struct Source {
  std::string name;
  Bytes bytes;
};

// The netpbm pictures beside the fixtures, and the PNG pictures beside the Photo CD file, are what
// other readers gave for them, not inputs.
bool IsInput(const std::string& folder, const fs::path& path) {
  const std::string extension = path.extension().string();
  if (folder == "pcd") return extension == ".pcd";
  return extension != ".ppm" && extension != ".pnm" && extension != ".pgm";
}

std::vector<Source> Sources() {
  std::vector<Source> sources;
  for (const char* folder : {"bmp", "pcx", "png", "tiff", "pcd", "regressions"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(DROPSHRINK_FIXTURES) / folder)) {
      if (entry.is_regular_file() && IsInput(folder, entry.path())) {
        sources.push_back({std::string(folder) + "/" + entry.path().filename().string(),
                           testing::ReadBytes(entry.path().string())});
      }
    }
  }
  std::sort(sources.begin(), sources.end(),
            [](const Source& a, const Source& b) { return a.name < b.name; });
  const testing::JpegShape picture{.width = 48, .height = 40};
  auto shape = [picture](auto change) {
    testing::JpegShape s = picture;
    change(s);
    return testing::JpegOf(s);
  };
  sources.push_back({"made/baseline-420.jpg", shape([](auto& s) { s.subsampled = true; })});
  sources.push_back({"made/progressive-444.jpg", shape([](auto& s) { s.progressive = true; })});
  sources.push_back({"made/grey.jpg", shape([](auto& s) { s.components = 1; })});
  sources.push_back({"made/restart-every-row.jpg", shape([](auto& s) {
                       s.subsampled = true;
                       s.restartRows = 1;
                     })});
  return sources;
}

void AddRange(std::set<std::size_t>& cuts, std::size_t from, std::size_t to, std::size_t size) {
  for (std::size_t n = from; n < std::min(to, size); ++n) cuts.insert(n);
}

// The lengths a file is cut to, below its whole length.
std::set<std::size_t> CutsOf(std::size_t size, const testing::PictureDataSpan& span) {
  std::set<std::size_t> cuts;
  if (size <= kEveryCutUpTo) {
    AddRange(cuts, 0, size, size);
    return cuts;
  }
  AddRange(cuts, 0, kDenseBytes, size);
  AddRange(cuts, span.begin, span.begin + kDenseBytes, size);
  AddRange(cuts, span.end - std::min(span.end, kNearEndBytes), span.end + kNearEndBytes, size);
  AddRange(cuts, size - kNearEndBytes, size, size);
  for (std::size_t n = 0; n < size; n += size / kStrides) cuts.insert(n);
  return cuts;
}

struct Tally {
  std::size_t files = 0;
  std::size_t cuts = 0;
  std::size_t converted = 0;
  std::size_t failed = 0;
  // Converted with part of the colour table gone, so the colours come from elsewhere.
  std::size_t convertedWithoutColours = 0;
  double seconds = 0;
};

TEST(TruncationSweepTest, NoCutFileHangsLeavesAnythingOrBecomesAPicture) {
  testing::ScopedTempDir dir;
  const fs::path in = dir.Path() / "in";
  const fs::path out = dir.Path() / "out";
  fs::create_directory(in);
  fs::create_directory(out);
  const std::string cutFile = (in / "cut").string();
  const std::string output = (out / "o.jpg").string();
  const std::vector<std::string> folders = {"in", "out"};
  const std::vector<std::string> outputOnly = {"o.jpg"};

  std::map<std::string, Tally> tallies;
  std::vector<std::string> faults;
  // Files whose cuts converted with part of their colour table gone. A PCX palette is the file's
  // last bytes, so such a cut cannot be told from a whole file and is listed; a TIFF colour map
  // lies where the directory says, so a TIFF cut there is a fault.
  std::vector<std::string> coloursCutOff;
  const auto fault = [&faults](const Source& source, std::size_t length, const std::string& what) {
    faults.push_back(source.name + " cut to " + std::to_string(length) + " of " +
                     std::to_string(source.bytes.size()) + " bytes: " + what);
  };
  for (const Source& source : Sources()) {
    const testing::PictureDataSpan span = testing::PictureDataSpanOf(source.bytes);
    Tally& tally = tallies[std::string(span.format)];
    ++tally.files;
    const std::set<std::size_t> cuts = CutsOf(source.bytes.size(), span);
    testing::WriteBytes(cutFile, source.bytes);
    // Longest first, so each cut only shortens the file.
    std::vector<std::size_t> lengths = {source.bytes.size()};
    lengths.insert(lengths.end(), cuts.rbegin(), cuts.rend());
    std::size_t shortestWithoutColours = 0;
    std::size_t withoutColours = 0;
    for (const std::size_t length : lengths) {
      fs::resize_file(cutFile, length);
      const auto start = std::chrono::steady_clock::now();
      ConversionOutcome outcome;
      {
        const testing::HangGuard guard(kHangSeconds,
                                       source.name + " cut to " + std::to_string(length));
        outcome = ConvertToJpegWithReason(cutFile.c_str(), output.c_str(), kApplicationSettings);
      }
      const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
      tally.seconds += spent.count();
      const bool converted = outcome.result == kSucceeded;
      if (spent.count() > kSecondsPerCut)
        fault(source, length, std::to_string(spent.count()) + " s");
      if (!converted && outcome.result != kSourceUnreadable) {
        fault(source, length, ConversionResultName(outcome.result));
      }
      if (NamesIn(out) != (converted ? outputOnly : std::vector<std::string>{})) {
        fault(source, length, "the destination folder holds something else");
      }
      if (NamesIn(dir.Path()) != folders) fault(source, length, "a temporary file was left");
      if (converted) fs::remove(output);
      if (length == source.bytes.size()) continue;  // the whole file may convert or not

      ++tally.cuts;
      ++(converted ? tally.converted : tally.failed);
      if (converted && length < span.end) {
        fault(source, length, "converted, though its pixels run to " + std::to_string(span.end));
      }
      if (converted && length < span.coloursEnd) {
        if (span.format == "TIFF") {
          fault(source, length,
                "converted, though its colours run to " + std::to_string(span.coloursEnd));
        }
        ++tally.convertedWithoutColours;
        ++withoutColours;
        shortestWithoutColours = length;
      }
    }
    if (withoutColours > 0) {
      coloursCutOff.push_back(source.name + ": " + std::to_string(withoutColours) +
                              " cuts converted, the shortest to " +
                              std::to_string(shortestWithoutColours) +
                              " bytes; its colours run to " + std::to_string(span.coloursEnd));
    }
  }

  // A fixture folder gone missing would pass by having nothing to cut.
  std::set<std::string> formats;
  for (const auto& [format, t] : tallies) formats.insert(format);
  EXPECT_EQ(formats, (std::set<std::string>{"BMP", "JPEG", "PCX", "PNG", "Photo CD", "TIFF"}));

  std::printf("%-10s %6s %8s %10s %8s %16s %9s\n", "format", "files", "cuts", "converted", "failed",
              "colours cut off", "seconds");
  for (const auto& [format, t] : tallies) {
    std::printf("%-10s %6zu %8zu %10zu %8zu %16zu %9.2f\n", format.c_str(), t.files, t.cuts,
                t.converted, t.failed, t.convertedWithoutColours, t.seconds);
  }
  for (const std::string& file : coloursCutOff) std::printf("colours cut off: %s\n", file.c_str());
  std::string listed;
  for (std::size_t i = 0; i < std::min<std::size_t>(faults.size(), 30); ++i) {
    listed += faults[i] + "\n";
  }
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first:\n" << listed;
}

}  // namespace
}  // namespace dropshrink
