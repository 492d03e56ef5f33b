#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/OutputPath.h"
#include "engine/JpegSettings.h"

namespace dropshrink::cli {

struct Options {
  // Empty: each output beside its source.
  std::string outputFolder;
  JpegSettings settings = kApplicationSettings;
  bool recursive = false;
  // 0: one per processor.
  int jobs = 0;
  // Put between a source's base name and ".jpg"; the window's by default.
  std::string suffix{app::kOutputSuffix.substr(0, app::kOutputSuffix.rfind('.'))};
  bool dryRun = false;
  bool skipLarger = false;
  bool quiet = false;
  std::vector<std::string> paths;
};

enum class Request { Convert, Help, Version, BadUsage };

struct ParsedArguments {
  Request request = Request::Convert;
  Options options;
  // Why the arguments were refused, for BadUsage.
  std::string error;
};

// GNU style: options and paths in any order, "--" ends the options, short options may be grouped
// (-rn) and take their value attached or as the next word (-q80, -q 80), long ones after "=" or as
// the next word. A later option overrides an earlier one. --help and --version answer at once.
ParsedArguments ParseArguments(std::span<const std::string> arguments);

struct OptionHelp {
  char shortName;  // '\0' when there is none
  std::string_view longName;
  // What the value stands for ("DIR"); empty for an option without one.
  std::string_view value;
  std::string_view text;
};

// Every option, in the order the help lists them.
std::span<const OptionHelp> OptionList();

}  // namespace dropshrink::cli
