#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace dropshrink::cli {
namespace {

constexpr int kMostJobs = 256;

// Why the value was refused; empty when it was taken.
using Apply = std::string (*)(Options&, std::string_view value);

struct OptionRow {
  OptionHelp help;
  Request request;
  Apply apply;
};

std::string ParseNumber(std::string_view text, std::string_view what, int lowest, int highest,
                        int& number) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < lowest ||
      value > highest) {
    return "invalid " + std::string(what) + " '" + std::string(text) + "': must be " +
           std::to_string(lowest) + " to " + std::to_string(highest);
  }
  number = value;
  return {};
}

std::string Set(bool& flag, bool value) {
  flag = value;
  return {};
}

const std::array<OptionRow, 13> kOptions = {{
    {{'o', "output", "DIR",
      "Write the outputs into DIR, which must exist. Without it each output goes beside its "
      "source."},
     Request::Convert,
     [](Options& o, std::string_view value) -> std::string {
       if (value.empty()) return "the output folder's name is empty";
       o.outputFolder = value;
       return {};
     }},
    {{'q', "quality", "N", "JPEG quality, 1 to 100. Default 75."},
     Request::Convert,
     [](Options& o, std::string_view value) {
       return ParseNumber(value, "quality", 1, 100, o.settings.quality);
     }},
    {{'\0', "grey", "", "Write one-component greyscale JPEG files instead of colour."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.settings.grey, true); }},
    {{'\0', "smoothing", "N", "Input smoothing of the JPEG encoder, 0 (none, the default) to 100."},
     Request::Convert,
     [](Options& o, std::string_view value) {
       return ParseNumber(value, "smoothing", 0, 100, o.settings.smoothing);
     }},
    {{'\0', "no-optimize", "",
      "Use the standard Huffman tables instead of computing optimal ones: faster, larger files."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.settings.optimizeCoding, false); }},
    {{'r', "recursive", "",
      "Walk the subfolders of every folder PATH too. With -o, each subfolder's outputs go into "
      "the same subfolder under DIR, made as needed. Links to folders inside a walked folder are "
      "not followed, so a link cannot make the walk loop; a folder named on the command line is "
      "walked even when it is a link. DIR is left out of the walk when it lies in a walked "
      "folder, so a second run does not convert the outputs of the first."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.recursive, true); }},
    {{'j', "jobs", "N", "Convert N files at once, 1 to 256. Default: one per processor."},
     Request::Convert,
     [](Options& o, std::string_view value) {
       return ParseNumber(value, "job count", 1, kMostJobs, o.jobs);
     }},
    {{'\0', "suffix", "TEXT",
      "Name each output <base>TEXT.jpg. Default _压缩. TEXT may be empty but may not hold a /."},
     Request::Convert,
     [](Options& o, std::string_view value) -> std::string {
       if (value.find('/') != std::string_view::npos) return "the suffix may not hold a '/'";
       o.suffix = value;
       return {};
     }},
    {{'n', "dry-run", "", "List what would be written, and write nothing: no file and no folder."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.dryRun, true); }},
    {{'\0', "skip-larger", "",
      "Keep no output larger than its source: such a file is reported as skipped, and an older "
      "output of that name stays as it was."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.skipLarger, true); }},
    {{'\0', "quiet", "",
      "Print no line for a converted or skipped file, no summary and no progress bar; failures "
      "and warnings are still printed."},
     Request::Convert,
     [](Options& o, std::string_view) { return Set(o.quiet, true); }},
    {{'\0', "help", "", "Print this help and exit."},
     Request::Help,
     [](Options&, std::string_view) { return std::string(); }},
    {{'\0', "version", "", "Print the version and exit."},
     Request::Version,
     [](Options&, std::string_view) { return std::string(); }},
}};

const OptionRow* FindShort(char name) {
  const auto found = std::ranges::find_if(
      kOptions, [name](const OptionRow& o) { return o.help.shortName == name; });
  return found == kOptions.end() ? nullptr : &*found;
}

const OptionRow* FindLong(std::string_view name) {
  const auto found = std::ranges::find_if(
      kOptions, [name](const OptionRow& o) { return o.help.longName == name; });
  return found == kOptions.end() ? nullptr : &*found;
}

ParsedArguments Refused(std::string error) {
  return {Request::BadUsage, {}, std::move(error)};
}

}  // namespace

std::span<const OptionHelp> OptionList() {
  static const auto list = [] {
    std::vector<OptionHelp> helps;
    for (const OptionRow& o : kOptions) helps.push_back(o.help);
    return helps;
  }();
  return list;
}

ParsedArguments ParseArguments(std::span<const std::string> arguments) {
  ParsedArguments parsed;
  bool onlyPaths = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!onlyPaths && argument == "--") {
      onlyPaths = true;
      continue;
    }
    // "-" alone is a name like any other.
    if (onlyPaths || argument.size() < 2 || argument[0] != '-') {
      parsed.options.paths.push_back(argument);
      continue;
    }
    const bool hasNext = i + 1 < arguments.size();
    if (argument[1] == '-') {
      const std::string_view word = std::string_view(argument).substr(2);
      const std::size_t equals = word.find('=');
      const std::string_view name = word.substr(0, equals);
      const OptionRow* option = FindLong(name);
      if (option == nullptr) return Refused("unrecognized option '--" + std::string(name) + "'");
      std::string_view value;
      if (option->help.value.empty()) {
        if (equals != std::string_view::npos) {
          return Refused("option '--" + std::string(name) + "' takes no value");
        }
      } else if (equals != std::string_view::npos) {
        value = word.substr(equals + 1);
      } else if (hasNext) {
        value = arguments[++i];
      } else {
        return Refused("option '--" + std::string(name) + "' needs a value");
      }
      if (option->request != Request::Convert) return {option->request, {}, {}};
      if (std::string error = option->apply(parsed.options, value); !error.empty()) {
        return Refused(std::move(error));
      }
      continue;
    }
    for (std::size_t at = 1; at < argument.size(); ++at) {
      const char name = argument[at];
      const OptionRow* option = name == '\0' ? nullptr : FindShort(name);
      if (option == nullptr) return Refused("invalid option -- '" + std::string(1, name) + "'");
      std::string_view value;
      if (!option->help.value.empty()) {
        if (at + 1 < argument.size()) {
          value = std::string_view(argument).substr(at + 1);
        } else if (hasNext) {
          value = arguments[++i];
        } else {
          return Refused("option -" + std::string(1, name) + " needs a value");
        }
        at = argument.size();
      }
      if (std::string error = option->apply(parsed.options, value); !error.empty()) {
        return Refused(std::move(error));
      }
    }
  }
  if (parsed.options.paths.empty()) return Refused("no PATH to convert");
  return parsed;
}

}  // namespace dropshrink::cli
