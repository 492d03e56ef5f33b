#include "cli/Convert.h"

#include "engine/ConversionCommand.h"
#include "platform/files/FileFacts.h"
#include "platform/files/Files.h"
#include "platform/files/FolderCreation.h"
#include "platform/files/StagedOutput.h"

namespace dropshrink::cli {
namespace {

void Fail(Job& job, ConversionResult result, std::string reason) {
  job.verdict = Verdict::Failed;
  job.result = ConversionResultName(result);
  job.reason = std::move(reason);
}

// Where the output was written under another name, a write failure still names the destination.
void Record(Job& job, ConversionOutcome outcome) {
  if (outcome.result != kSucceeded) {
    if (outcome.result == kWriteFailed) outcome.reason.place = job.destination;
    Fail(job, outcome.result, Describe(outcome.reason));
    return;
  }
  job.verdict = Verdict::Converted;
  job.result = ConversionResultName(kSucceeded);
}

void WriteFailed(Job& job, platform::OutputResult result) {
  const Failure failure = result == platform::OutputResult::DiskFull
                              ? Failure::DiskFull
                              : Failure::DestinationNotWritable;
  Fail(job, kWriteFailed, Describe({failure, {}, job.destination}));
}

void ConvertKeepingSmaller(Job& job, const JpegSettings& settings) {
  platform::StagedOutput staged;
  if (const platform::OutputResult reserved = staged.Reserve(job.destination);
      reserved != platform::OutputResult::Ok) {
    WriteFailed(job, reserved);
    return;
  }
  Record(job, ConvertToJpegWithReason(job.source.c_str(), staged.Path().c_str(), settings));
  if (job.verdict != Verdict::Converted) return;
  job.outputBytes = platform::RegularFileSize(staged.Path().c_str());
  if (job.sourceBytes && job.outputBytes && *job.outputBytes > *job.sourceBytes) {
    job.verdict = Verdict::Skipped;
    job.result = kSkipped;
    job.reason = "output larger than its source";
    return;
  }
  if (const platform::OutputResult committed = staged.Commit();
      committed != platform::OutputResult::Ok) {
    job.outputBytes.reset();
    WriteFailed(job, committed);
  }
}

}  // namespace

void Convert(Job& job, const JpegSettings& settings, bool skipLarger) {
  if (job.verdict != Verdict::Pending) return;
  for (const std::string& folder : job.newFolders) {
    const platform::FolderMade made = platform::MakeFolder(folder);
    if (!made.exists) {
      Fail(job, kWriteFailed, "cannot make the folder " + folder + ": " + made.error);
      return;
    }
  }
  if (skipLarger) {
    ConvertKeepingSmaller(job, settings);
    return;
  }
  Record(job, ConvertToJpegWithReason(job.source.c_str(), job.destination.c_str(), settings));
  if (job.verdict == Verdict::Converted) {
    job.outputBytes = platform::RegularFileSize(job.destination.c_str());
  }
}

void Foresee(Job& job) {
  if (job.verdict == Verdict::Pending && !platform::PathExists(job.source.c_str())) {
    Fail(job, kSourceMissing, Describe({Failure::SourceMissing, {}, {}}));
  }
}

}  // namespace dropshrink::cli
