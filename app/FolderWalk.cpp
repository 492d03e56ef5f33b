#include "app/FolderWalk.h"

#include "platform/files/Files.h"
#include "platform/files/FolderListing.h"

namespace app {

std::vector<std::string> FolderFiles(std::string_view folder) {
  // An empty name would become the root folder.
  if (folder.empty()) return {};
  std::string prefix(folder);
  if (prefix.empty() || prefix.back() != platform::kPathSeparator) {
    prefix += platform::kPathSeparator;
  }
  std::vector<std::string> paths = platform::ListFolderFiles(prefix);
  for (std::string& name : paths) name.insert(0, prefix);
  return paths;
}

}  // namespace app
