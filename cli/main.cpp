// dropshrink-cli: converts pictures to JPEG with the application's settings.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/OutputName.h"
#include "engine/ConversionCommand.h"

namespace {

constexpr int kUsageError = 2;

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s -o DIR FILE...\n"
               "Writes each FILE as DIR/<name>_压缩.jpg: colour JPEG, quality 75, optimised\n"
               "Huffman tables.\n",
               program);
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0) {
      if (i + 1 >= argc || !folder.empty()) return Usage(argv[0]);
      folder = argv[++i];
    } else if (std::strcmp(argv[i], "--") == 0) {
      files.insert(files.end(), argv + i + 1, argv + argc);
      break;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      return Usage(argv[0]);
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (folder.empty() || files.empty()) return Usage(argv[0]);

  int failures = 0;
  for (const std::string& file : files) {
    const std::string output = dropshrink::cli::OutputName(folder, file);
    const auto result = dropshrink::ConvertToJpeg(file.c_str(), output.c_str(), 0, 75, 1, 0);
    if (result != dropshrink::kSucceeded) ++failures;
    std::printf("%s -> %s: %s\n", file.c_str(), output.c_str(),
                dropshrink::ConversionResultName(result));
  }
  return failures == 0 ? 0 : 1;
}
