#pragma once

#include <string>

namespace platform {

struct FolderMade {
  // True when the folder exists afterwards, made now or before.
  bool exists = false;
  // Why it could not be made, in the system's words; empty when it exists.
  std::string error;
};

// Makes one folder whose parent exists. A folder already there is fine, so threads that need the
// same folder may all ask for it.
FolderMade MakeFolder(const std::string& path);

}  // namespace platform
