#include "app/FolderWalk.h"

#include <algorithm>
#include <optional>

#include "platform/files/Files.h"
#include "platform/files/FolderListing.h"
#include "platform/files/SubfolderListing.h"

namespace app {
namespace {

std::string WithSeparator(std::string_view folder) {
  std::string prefix(folder);
  if (prefix.back() != platform::kPathSeparator) prefix += platform::kPathSeparator;
  return prefix;
}

}  // namespace

std::vector<std::string> FolderFiles(std::string_view folder) {
  // An empty name would become the root folder.
  if (folder.empty()) return {};
  const std::string prefix = WithSeparator(folder);
  std::vector<std::string> paths = platform::ListFolderFiles(prefix);
  for (std::string& name : paths) name.insert(0, prefix);
  return paths;
}

FolderTree WalkFolderTree(std::string_view folder, bool subfolders) {
  FolderTree tree;
  if (folder.empty()) return tree;
  const std::string top = WithSeparator(folder);
  // Relative folders still to walk, the next one last: a stack rather than recursion, so a deep
  // tree cannot exhaust the call stack.
  std::vector<std::string> pending = {""};
  while (!pending.empty()) {
    const std::string relative = std::move(pending.back());
    pending.pop_back();
    const std::string path = top + relative;
    const std::optional<std::vector<std::string>> folders = platform::ListSubfolders(path);
    if (!folders) {
      tree.unreadable.push_back(relative.empty() ? std::string(folder)
                                                 : path.substr(0, path.size() - 1));
      continue;
    }
    std::vector<std::string> names = platform::ListFolderFiles(path);
    std::ranges::sort(names);
    for (std::string& name : names) tree.files.push_back({path + name, relative});
    if (!subfolders) continue;
    std::vector<std::string> below = *folders;
    // Reversed onto the stack, so the first name is walked first.
    std::ranges::sort(below, std::greater<>());
    for (const std::string& name : below)
      pending.push_back(relative + name + platform::kPathSeparator);
  }
  return tree;
}

}  // namespace app
