#pragma once

#include <mutex>
#include <string>

namespace platform {

// The files that are not yet complete outputs, so that an interrupted program can remove them
// before it ends. Creating, renaming or removing one happens while a PartialFilesLock is held, so
// an interruption never falls between the creation of a file and its record.
class PartialFilesLock {
 public:
  PartialFilesLock();
  PartialFilesLock(const PartialFilesLock&) = delete;
  PartialFilesLock& operator=(const PartialFilesLock&) = delete;

  void Add(const std::string& path);
  void Forget(const std::string& path);

 private:
  std::unique_lock<std::mutex> lock_;
};

// Removes every partial file and ends the process with `status` at once. It keeps the lock to the
// end, so threads still converting block at their next creation or rename and nothing replaces a
// destination afterwards.
[[noreturn]] void RemovePartialFilesAndExit(int status);

}  // namespace platform
