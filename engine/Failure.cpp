#include "engine/Failure.h"

namespace dropshrink {
namespace {

std::string Format(const FailureReason& reason) {
  return reason.format.empty() ? std::string("picture") : std::string(reason.format);
}

std::string Place(const FailureReason& reason, std::string_view preposition) {
  if (reason.place.empty()) return {};
  return std::string(" ").append(preposition).append(" ").append(reason.place);
}

}  // namespace

std::string Describe(const FailureReason& reason) {
  switch (reason.failure) {
    case Failure::None:
      return "no failure";
    case Failure::NotThisFormat:
      return "not a picture of a format this program reads";
    case Failure::Truncated:
      return "truncated " + Format(reason) + " data";
    case Failure::Corrupt:
      return "corrupt " + Format(reason) + " data";
    case Failure::Unsupported:
      return "unsupported " + Format(reason) + " variant";
    case Failure::TooLarge:
      return Format(reason) + " picture too large";
    case Failure::NoSpaceForStore:
      return "no space for the pixel store" + Place(reason, "in");
    case Failure::NoTempFolder:
      return "no usable temporary folder" + Place(reason, "at");
    case Failure::OutOfMemory:
      return "out of memory";
    case Failure::NotRegularFile:
      return "not a regular file";
    case Failure::SourceMissing:
      return "no such file";
    case Failure::Unreadable:
      return "cannot be opened for reading";
    case Failure::DestinationNotWritable:
      return "cannot write" + Place(reason, "to");
    case Failure::DiskFull:
      return "disk full while writing" + Place(reason, "to");
    case Failure::InvalidArgument:
      return "invalid arguments";
  }
  return "unknown failure";
}

}  // namespace dropshrink
