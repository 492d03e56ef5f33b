#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/JpegSettings.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// The cjpeg options that ask for exactly these settings. Our writer forces baseline tables, which
// cjpeg does only when asked; below quality 25 the tables differ otherwise.
inline std::string CjpegOptions(const JpegSettings& settings) {
  std::string options = " -baseline -quality " + std::to_string(settings.quality);
  if (settings.optimizeCoding) options += " -optimize";
  if (settings.smoothing > 0) options += " -smooth " + std::to_string(settings.smoothing);
  if (settings.grey) options += " -grayscale";
  return options;
}

// Runs a shell command; true when it exits with 0.
inline bool RunsCleanly(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What Debian's cjpeg writes for the picture file `source` (BMP, PPM or PGM): the judge of our
// output that shares no code with it. Written to `output`; empty when cjpeg could not run.
inline std::vector<unsigned char> CjpegReferenceOf(const std::string& source,
                                                   const std::string& output,
                                                   const JpegSettings& settings) {
  if (!RunsCleanly("cjpeg" + CjpegOptions(settings) + " -outfile '" + output + "' '" + source +
                   "'")) {
    return {};
  }
  return ReadBytes(output);
}

// As above for a picture with exactly these pixels, which go through `work` as a netpbm file.
inline std::vector<unsigned char> CjpegReference(
    const Netpbm& picture, const std::string& work,
    const JpegSettings& settings = kApplicationSettings) {
  const std::string header = (picture.channels == 3 ? "P6\n" : "P5\n") +
                             std::to_string(picture.width) + " " + std::to_string(picture.height) +
                             "\n255\n";
  std::vector<unsigned char> file(header.begin(), header.end());
  file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
  WriteBytes(work + ".pnm", file);
  return CjpegReferenceOf(work + ".pnm", work + ".jpg", settings);
}

}  // namespace dropshrink::testing
