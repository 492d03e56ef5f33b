#include "platform/files/OutputFile.h"

#include <errno.h>
#include <unistd.h>

#include <cstring>

#include "platform/files/Files.h"
#include "platform/files/PartialFiles.h"
#include "platform/files/TempFile.h"

namespace platform {
namespace {

constexpr char kPartialPrefix[] = ".dropshrink-";

std::string FolderOf(const char* path) {
  const char* slash = std::strrchr(path, kPathSeparator);
  if (slash == nullptr) return ".";
  if (slash == path) return std::string(1, kPathSeparator);
  return std::string(path, slash);
}

}  // namespace

OutputResult OutputResultOf(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG ? OutputResult::DiskFull
                                                              : OutputResult::NotWritable;
}

OutputFile::~OutputFile() {
  if (stream_ != nullptr) std::fclose(stream_);
  if (partial_.empty()) return;
  PartialFilesLock partials;
  unlink(partial_.c_str());
  partials.Forget(partial_);
}

OutputResult OutputFile::Open(const char* destination) {
  // A folder of that name would refuse the rename only after the whole picture was encoded.
  if (destination == nullptr || *destination == '\0' || IsFolder(destination)) {
    return OutputResult::NotWritable;
  }
  PartialFilesLock partials;
  TempFile partial =
      CreateTempFile(FolderOf(destination), kPartialPrefix, TempFileAccess::AsNewFile);
  if (partial.result != TempFileResult::Created) {
    return partial.result == TempFileResult::NoSpace ? OutputResult::DiskFull
                                                     : OutputResult::NotWritable;
  }
  partial_ = std::move(partial.path);
  partials.Add(partial_);
  stream_ = fdopen(partial.file, "wb");
  if (stream_ == nullptr) {
    close(partial.file);
    return OutputResult::NotWritable;
  }
  destination_ = destination;
  return OutputResult::Ok;
}

OutputResult OutputFile::Commit() {
  if (stream_ == nullptr) return OutputResult::NotWritable;
  // The bytes reach the disk before the rename does, so a crash never leaves an empty file where
  // a good one was.
  const bool flushed = std::fflush(stream_) == 0 && fsync(fileno(stream_)) == 0;
  int error = errno;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (flushed && !closed) error = errno;
  if (!flushed || !closed) return OutputResultOf(error);
  // Under the lock, so an interruption either removes the file or finds it committed.
  PartialFilesLock partials;
  if (std::rename(partial_.c_str(), destination_.c_str()) != 0) return OutputResultOf(errno);
  partials.Forget(partial_);
  partial_.clear();
  return OutputResult::Ok;
}

}  // namespace platform
