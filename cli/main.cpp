// dropshrink-cli: the window's conversions from a shell.
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/Batch.h"
#include "cli/Convert.h"
#include "cli/Help.h"
#include "cli/Options.h"
#include "cli/Plan.h"
#include "cli/ProgressBar.h"
#include "cli/Quote.h"
#include "cli/Report.h"
#include "platform/files/InterruptWatch.h"
#include "platform/files/PartialFiles.h"
#include "platform/files/Terminal.h"
#include "platform/files/TerminalWidth.h"

namespace {

using namespace dropshrink::cli;

constexpr int kSomeFailed = 1;
constexpr int kUsageError = 2;

int Refuse(const std::string& error) {
  std::fprintf(stderr,
               "dropshrink-cli: %s\n"
               "usage: dropshrink-cli [OPTION]... PATH...\n"
               "Try 'dropshrink-cli --help' for more information.\n",
               Quote(error).c_str());
  return kUsageError;
}

// Failures are errors and go to standard error, the rest of the report to standard output.
void Report(const Job& job, const Options& options, Totals& totals) {
  totals.Count(job);
  const std::string line = FileLine(job);
  if (job.verdict == Verdict::Failed) {
    std::fprintf(stderr, "%s\n", line.c_str());
  } else if (!options.quiet) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
}

void WarnAboutSharedDestinations(const std::vector<Job>& jobs) {
  const std::vector<std::size_t> earlier = EarlierWithSameDestination(jobs);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (earlier[i] == std::string::npos) continue;
    std::fprintf(stderr, "dropshrink-cli: %s\n",
                 SharedDestinationWarning(jobs[earlier[i]], jobs[i]).c_str());
  }
}

void RunJobs(std::vector<Job>& jobs, const Options& options, Totals& totals) {
  // Only a person at a terminal wants the bar; a pipe or a log file gets the results alone.
  const bool showBar = !options.quiet && platform::IsTerminal(stderr);
  // Interrupted, the program removes its half-written outputs and ends as the signal would have
  // it: 128 + the signal's number. An older output at a destination stays as it was. The bar is
  // taken off first, so the shell's prompt does not land on it.
  const platform::InterruptWatch interrupts([showBar](int signal) {
    if (showBar) std::fputs("\r\033[K", stderr);
    platform::RemovePartialFilesAndExit(128 + signal);
  });

  Progress progress{.filesTotal = jobs.size()};
  for (const Job& job : jobs) progress.bytesTotal += job.sourceBytes.value_or(0);
  ProgressBar bar(stderr, platform::TerminalWidth(stderr), ProgressBar::Clock::now());
  const auto draw = [&] {
    if (showBar) bar.Update(progress, ProgressBar::Clock::now());
  };
  draw();

  const int threads = options.jobs > 0
                          ? options.jobs
                          : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  RunBatch(jobs, threads,
           {.convert = [&](Job& job) { Convert(job, options.settings, options.skipLarger); },
            .done =
                [&](const Job& job) {
                  bar.Erase();
                  Report(job, options, totals);
                  ++progress.filesDone;
                  progress.bytesDone += job.sourceBytes.value_or(0);
                  draw();
                },
            .tick = draw});
  bar.Erase();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const ParsedArguments parsed = ParseArguments(arguments);
  switch (parsed.request) {
    case Request::Help:
      std::fputs(HelpText().c_str(), stdout);
      return 0;
    case Request::Version:
      std::puts("dropshrink-cli " DROPSHRINK_VERSION);
      return 0;
    case Request::BadUsage:
      return Refuse(parsed.error);
    case Request::Convert:
      break;
  }
  const Options& options = parsed.options;

  Plan plan = MakePlan(options);
  for (const std::string& folder : plan.unreadableFolders) {
    std::fprintf(stderr, "dropshrink-cli: cannot read the folder %s\n", Quote(folder).c_str());
  }
  WarnAboutSharedDestinations(plan.jobs);

  Totals totals;
  if (options.dryRun) {
    for (Job& job : plan.jobs) {
      Foresee(job);
      Report(job, options, totals);
    }
  } else {
    RunJobs(plan.jobs, options, totals);
  }
  if (!options.quiet) std::printf("%s\n", SummaryLine(totals, options.dryRun).c_str());
  return totals.failed == 0 && plan.unreadableFolders.empty() ? 0 : kSomeFailed;
}
