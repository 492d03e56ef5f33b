// dropshrink-cli: converts pictures to JPEG with the application's settings.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/OutputPath.h"
#include "cli/Batch.h"
#include "platform/files/InterruptWatch.h"
#include "platform/files/PartialFiles.h"
#include "platform/files/Terminal.h"

namespace {

constexpr int kUsageError = 2;

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s -o DIR [-j JOBS] FILE...\n"
               "Writes each FILE as DIR/<name>_压缩.jpg: colour JPEG, quality 75, optimised\n"
               "Huffman tables. JOBS conversions run at once (default: one per processor).\n",
               program);
  return kUsageError;
}

bool ParseJobs(const char* text, int& jobs) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 256) return false;
  jobs = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc || !folder.empty() || argv[i + 1][0] == '\0') return Usage(argv[0]);
      folder = argv[++i];
    } else if (std::strcmp(arg, "-j") == 0) {
      if (i + 1 >= argc || !ParseJobs(argv[++i], jobs)) return Usage(argv[0]);
    } else if (std::strcmp(arg, "--") == 0) {
      files.insert(files.end(), argv + i + 1, argv + argc);
      break;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return Usage(argv[0]);
    } else {
      files.emplace_back(arg);
    }
  }
  if (folder.empty() || files.empty()) return Usage(argv[0]);

  std::vector<dropshrink::cli::Conversion> conversions;
  for (const std::string& file : files) {
    conversions.push_back({file, app::MakeOutputPath(folder, file)});
  }
  const std::vector<std::size_t> earlier = dropshrink::cli::EarlierWithSameDestination(conversions);
  for (std::size_t i = 0; i < conversions.size(); ++i) {
    if (earlier[i] == std::string::npos) continue;
    std::fprintf(stderr, "warning: %s and %s both write %s; the output of %s is kept\n",
                 conversions[earlier[i]].source.c_str(), conversions[i].source.c_str(),
                 conversions[i].destination.c_str(), conversions[i].source.c_str());
  }

  // Interrupted, the program removes its half-written outputs and ends as the signal would have
  // it: 128 + the signal's number. An older output at a destination stays as it was.
  const platform::InterruptWatch interrupts(
      [](int signal) { platform::RemovePartialFilesAndExit(128 + signal); });

  // On a terminal a counter shows how far the batch is; in a pipe only results.
  const bool showProgress = platform::IsTerminal(stderr) && conversions.size() > 1;
  int failures = 0;
  dropshrink::cli::RunBatch(
      conversions, jobs, [&](const dropshrink::cli::Conversion& c, std::size_t index) {
        const dropshrink::ConversionResult result = c.outcome.result;
        if (result != dropshrink::kSucceeded) ++failures;
        if (showProgress) std::fputs("\r\033[K", stderr);
        std::printf("%s -> %s: %s", c.source.c_str(), c.destination.c_str(),
                    dropshrink::ConversionResultName(result));
        if (result != dropshrink::kSucceeded) {
          std::printf(" (%s)", dropshrink::Describe(c.outcome.reason).c_str());
        }
        std::putchar('\n');
        std::fflush(stdout);
        if (showProgress && index + 1 < conversions.size()) {
          std::fprintf(stderr, "[%zu/%zu] converting...", index + 1, conversions.size());
        }
      });
  return failures == 0 ? 0 : 1;
}
