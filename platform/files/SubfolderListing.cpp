#include "platform/files/SubfolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

namespace platform {

std::optional<std::vector<std::string>> ListSubfolders(const std::string& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return std::nullopt;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    // lstat: a link is never taken for the folder it points to.
    struct stat info;
    if (lstat((prefix + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      names.emplace_back(name);
    }
  }
  return names;
}

}  // namespace platform
