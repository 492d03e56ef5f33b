#include "platform/files/FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace platform {

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
  while (const dirent* entry = readdir(dir.get())) {
    // "." and ".." are folders too; a broken link is kept, like any other file that is no folder.
    struct stat info;
    const std::string path = prefix + entry->d_name;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    names.emplace_back(entry->d_name);
  }
  return names;
}

}  // namespace platform
