#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dropshrink {

// Why an operation failed, beside the result code the caller is promised.
enum class Failure : std::uint8_t {
  None,
  // No reader recognised the file.
  NotThisFormat,
  Truncated,
  Corrupt,
  // A variant of the format this program does not read.
  Unsupported,
  TooLarge,
  NoSpaceForStore,
  // No temporary folder, or none that takes a new file.
  NoTempFolder,
  OutOfMemory,
  NotRegularFile,
  SourceMissing,
  // The file is there but cannot be opened for reading.
  Unreadable,
  DestinationNotWritable,
  DiskFull,
  InvalidArgument,
};

struct FailureReason {
  Failure failure = Failure::None;
  // The format whose data failed ("PNG"), when a reader failed.
  std::string_view format;
  // The folder or file the failure concerns, when there is one.
  std::string place;
};

// A few words for a person: "truncated PNG data", "no space for the pixel store in /tmp/".
std::string Describe(const FailureReason& reason);

}  // namespace dropshrink
