#pragma once

#include <cstdint>
#include <string>

#include "cli/Job.h"

namespace dropshrink::cli {

// One line per file, names quoted where they need it:
//   SOURCE -> DESTINATION: Succeeded, 48213 -> 20117 bytes
//   SOURCE -> DESTINATION: SourceUnreadable (truncated JPEG data), 200 bytes
//   SOURCE -> DESTINATION: Skipped (output larger than its source), 9120 -> 11344 bytes
//   SOURCE: Skipped (not a picture name ...)
// A job still pending (a dry run) shows where it would be written and the source's size.
std::string FileLine(const Job& job);

struct Totals {
  std::size_t converted = 0;
  std::size_t failed = 0;
  std::size_t skipped = 0;
  std::size_t pending = 0;
  // Of the converted files only, so the two compare.
  std::uint64_t bytesBefore = 0;
  std::uint64_t bytesAfter = 0;

  void Count(const Job& job);
};

// "3 converted, 1 failed, 2 skipped; 1234567 bytes before, 345678 bytes after", or for a dry run
// "3 to convert (1234567 bytes), 1 failed, 2 skipped; nothing written".
std::string SummaryLine(const Totals& totals, bool dryRun);

// The warning for two sources with one destination, the later of which is kept.
std::string SharedDestinationWarning(const Job& earlier, const Job& later);

}  // namespace dropshrink::cli
