#pragma once

#include <string>
#include <vector>

#include "cli/Job.h"
#include "cli/Options.h"

namespace dropshrink::cli {

struct Plan {
  std::vector<Job> jobs;
  // Folders named or walked that could not be read.
  std::vector<std::string> unreadableFolders;
};

// What the paths come to, in order. A folder is walked like a folder dropped on the window (its
// files that are not pictures ignored); a file named on its own that is no picture is a skipped
// job. Looks at the file system and changes nothing.
Plan MakePlan(const Options& options);

}  // namespace dropshrink::cli
