#include "cli/Report.h"

#include "cli/Quote.h"

namespace dropshrink::cli {

std::string FileLine(const Job& job) {
  std::string line = Quote(job.source);
  if (!job.destination.empty()) line += " -> " + Quote(job.destination);
  if (job.verdict == Verdict::Pending) {
    if (job.sourceBytes) line += ", " + std::to_string(*job.sourceBytes) + " bytes";
    return line;
  }
  line += ": " + job.result;
  if (!job.reason.empty()) line += " (" + Quote(job.reason) + ")";
  if (job.sourceBytes && job.outputBytes) {
    line += ", " + std::to_string(*job.sourceBytes) + " -> " + std::to_string(*job.outputBytes) +
            " bytes";
  } else if (job.sourceBytes) {
    line += ", " + std::to_string(*job.sourceBytes) + " bytes";
  }
  return line;
}

void Totals::Count(const Job& job) {
  switch (job.verdict) {
    case Verdict::Pending:
      ++pending;
      bytesBefore += job.sourceBytes.value_or(0);
      return;
    case Verdict::Converted:
      ++converted;
      bytesBefore += job.sourceBytes.value_or(0);
      bytesAfter += job.outputBytes.value_or(0);
      return;
    case Verdict::Failed:
      ++failed;
      return;
    case Verdict::Skipped:
      ++skipped;
      return;
  }
}

std::string SummaryLine(const Totals& totals, bool dryRun) {
  const std::string others =
      std::to_string(totals.failed) + " failed, " + std::to_string(totals.skipped) + " skipped";
  if (dryRun) {
    return std::to_string(totals.pending) + " to convert (" + std::to_string(totals.bytesBefore) +
           " bytes), " + others + "; nothing written";
  }
  return std::to_string(totals.converted) + " converted, " + others + "; " +
         std::to_string(totals.bytesBefore) + " bytes before, " +
         std::to_string(totals.bytesAfter) + " bytes after";
}

std::string SharedDestinationWarning(const Job& earlier, const Job& later) {
  return "warning: " + Quote(earlier.source) + " and " + Quote(later.source) + " both write " +
         Quote(later.destination) + "; the output of " + Quote(later.source) + " is kept";
}

}  // namespace dropshrink::cli
