#include "platform/files/StagedOutput.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>

#include "platform/files/Files.h"
#include "platform/files/PartialFiles.h"
#include "platform/files/TempFile.h"

namespace platform {

StagedOutput::~StagedOutput() {
  if (staged_.empty()) return;
  PartialFilesLock partials;
  unlink(staged_.c_str());
  partials.Forget(staged_);
}

OutputResult StagedOutput::Reserve(const std::string& destination) {
  const std::size_t slash = destination.rfind(kPathSeparator);
  const std::string folder = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string(1, kPathSeparator)
                                                        : destination.substr(0, slash);
  PartialFilesLock partials;
  TempFile staged = CreateTempFile(folder, ".dropshrink-", TempFileAccess::AsNewFile);
  if (staged.result != TempFileResult::Created) {
    return staged.result == TempFileResult::NoSpace ? OutputResult::DiskFull
                                                    : OutputResult::NotWritable;
  }
  close(staged.file);
  staged_ = std::move(staged.path);
  partials.Add(staged_);
  destination_ = destination;
  return OutputResult::Ok;
}

OutputResult StagedOutput::Commit() {
  if (staged_.empty()) return OutputResult::NotWritable;
  // Under the lock, so an interruption either removes the file or finds it committed.
  PartialFilesLock partials;
  if (std::rename(staged_.c_str(), destination_.c_str()) != 0) return OutputResultOf(errno);
  partials.Forget(staged_);
  staged_.clear();
  return OutputResult::Ok;
}

}  // namespace platform
