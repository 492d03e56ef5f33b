#pragma once

#include <cstdio>
#include <string>

namespace platform {

enum class OutputResult { Ok, NotWritable, DiskFull };

// What a failed write, flush, close or rename with this error number means for the destination.
OutputResult OutputResultOf(int error);

// A file that replaces its destination only when complete: the bytes go to a file without a name
// in the destination's folder (a named partial file where the file system has no such files),
// which Commit names and renames over the destination. Destroyed uncommitted, the partial file is
// gone and the destination is left as it was. A folder that takes no new file
// fails the write even when the destination itself is writable: writing in place would destroy a
// good file before the new one is complete.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  OutputResult Open(const char* destination);
  // Where the bytes go between Open and Commit.
  std::FILE* Stream() const { return stream_; }
  // Flushes to the disk, closes and renames over the destination.
  OutputResult Commit();

 private:
  std::FILE* stream_ = nullptr;
  // Empty while the file has no name.
  std::string partial_;
  std::string folder_;
  std::string destination_;
};

}  // namespace platform
