#pragma once

#include <string>

#include "platform/files/OutputFile.h"

namespace platform {

// A name taken beside a destination for an output that is looked at before it may replace the
// destination. The staged file counts as partial until Commit renames it over the destination, so
// an interrupted program removes it; destroyed uncommitted, it is removed and the destination is
// left as it was.
class StagedOutput {
 public:
  StagedOutput() = default;
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;
  ~StagedOutput();

  // Creates an empty file in the destination's folder; Path names it.
  OutputResult Reserve(const std::string& destination);
  const std::string& Path() const { return staged_; }
  OutputResult Commit();

 private:
  std::string staged_;
  std::string destination_;
};

}  // namespace platform
