#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dropshrink::cli {

// The result name of a file converted but not kept, or not converted at all.
inline constexpr std::string_view kSkipped = "Skipped";

enum class Verdict { Pending, Converted, Failed, Skipped };

// One source named on the command line or found in a walked folder, and what became of it.
struct Job {
  std::string source;
  // Empty when the source is skipped for its name.
  std::string destination;
  // Folders to make before writing, outermost first.
  std::vector<std::string> newFolders;
  std::optional<std::uint64_t> sourceBytes;

  Verdict verdict = Verdict::Pending;
  // The engine's name for the result ("Succeeded", "SourceMissing"), or "Skipped".
  std::string result;
  // Why it failed or was skipped; empty for a converted file.
  std::string reason;
  std::optional<std::uint64_t> outputBytes;
};

}  // namespace dropshrink::cli
