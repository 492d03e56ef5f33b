#include "platform/files/OutputFile.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/files/Files.h"
#include "platform/files/PartialFiles.h"
#include "platform/files/TempFile.h"

namespace platform {
namespace {

constexpr char kPartialPrefix[] = ".dropshrink-";
constexpr char kOpenFiles[] = "/proc/self/fd/";

std::string FolderOf(const char* path) {
  const char* slash = std::strrchr(path, kPathSeparator);
  if (slash == nullptr) return ".";
  if (slash == path) return std::string(1, kPathSeparator);
  return std::string(path, slash);
}

// A file in `folder` with no name at all, so that even a killed process leaves nothing behind;
// kNoFile with errno set when the file system cannot make one or it could not be named later.
FileHandle CreateUnnamed(const std::string& folder) {
  if (access(kOpenFiles, X_OK) != 0) {
    errno = EOPNOTSUPP;
    return kNoFile;
  }
  return open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// Whether the failure of CreateUnnamed says only that this kind of file is not available here.
bool UnnamedUnsupported(int error) {
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Gives the unnamed file the first free partial name in `folder`, so it can be renamed over the
// destination; an empty name with errno set on failure.
std::string NameUnnamed(FileHandle file, const std::string& folder) {
  const std::string source = kOpenFiles + std::to_string(file);
  const std::string stem = folder + kPathSeparator + kPartialPrefix;
  for (long n = 0; n <= kLastTempNumber; ++n) {
    std::string path = stem + std::to_string(n) + ".tmp";
    if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return path;
    }
    if (errno != EEXIST) return {};
  }
  errno = EEXIST;
  return {};
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
  folder_ = FolderOf(destination);
  destination_ = destination;
  if (const FileHandle unnamed = CreateUnnamed(folder_); unnamed != kNoFile) {
    stream_ = fdopen(unnamed, "wb");
    if (stream_ != nullptr) return OutputResult::Ok;
    close(unnamed);
    return OutputResult::NotWritable;
  } else if (!UnnamedUnsupported(errno)) {
    return OutputResultOf(errno);
  }

  PartialFilesLock partials;
  TempFile partial = CreateTempFile(folder_, kPartialPrefix, TempFileAccess::AsNewFile);
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
  return OutputResult::Ok;
}

OutputResult OutputFile::Commit() {
  if (stream_ == nullptr) return OutputResult::NotWritable;
  if (std::fflush(stream_) != 0) return OutputResultOf(errno);
  // Over an older file, the bytes reach the disk before the rename does, so a crash never leaves
  // an empty file where a good one was. A new name has nothing to lose and need not wait.
  if (PathExists(destination_.c_str()) && fsync(fileno(stream_)) != 0) return OutputResultOf(errno);
  // Under the lock, so an interruption either removes the file or finds it committed.
  PartialFilesLock partials;
  if (partial_.empty()) {
    partial_ = NameUnnamed(fileno(stream_), folder_);
    if (partial_.empty()) return OutputResultOf(errno);
    partials.Add(partial_);
  }
  const int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (closed != 0) return OutputResultOf(errno);
  if (std::rename(partial_.c_str(), destination_.c_str()) != 0) return OutputResultOf(errno);
  partials.Forget(partial_);
  partial_.clear();
  return OutputResult::Ok;
}

}  // namespace platform
