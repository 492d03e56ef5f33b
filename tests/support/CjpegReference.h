#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/JpegSettings.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// The cjpeg options that ask for exactly these settings.
inline std::string CjpegOptions(const JpegSettings& settings) {
  std::string options = " -quality " + std::to_string(settings.quality);
  if (settings.optimizeCoding) options += " -optimize";
  if (settings.smoothing > 0) options += " -smooth " + std::to_string(settings.smoothing);
  if (settings.grey) options += " -grayscale";
  return options;
}

// What Debian's cjpeg writes for a picture with exactly these pixels: the judge of our output
// that shares no code with it. Empty when cjpeg could not run. The picture goes through `work`
// as a netpbm file.
inline std::vector<unsigned char> CjpegReference(
    const Netpbm& picture, const std::string& work,
    const JpegSettings& settings = kApplicationSettings) {
  const std::string header = (picture.channels == 3 ? "P6\n" : "P5\n") +
                             std::to_string(picture.width) + " " + std::to_string(picture.height) +
                             "\n255\n";
  std::vector<unsigned char> file(header.begin(), header.end());
  file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
  WriteBytes(work + ".pnm", file);
  const std::string command =
      "cjpeg" + CjpegOptions(settings) + " -outfile '" + work + ".jpg' '" + work + ".pnm'";
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return ReadBytes(work + ".jpg");
}

}  // namespace dropshrink::testing
