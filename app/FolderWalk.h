#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The path of every file directly in the folder, subfolders left out, taken at once before any
// of them is converted: outputs written into the folder meanwhile are not walked again.
std::vector<std::string> FolderFiles(std::string_view folder);

struct WalkedFile {
  std::string path;
  // The folder it was found in, relative to the walked one, ending in a separator; empty for the
  // walked folder itself.
  std::string subfolder;
};

struct FolderTree {
  std::vector<WalkedFile> files;
  // Folders of the walk that could not be read, the walked one included.
  std::vector<std::string> unreadable;
};

// Every file in the folder and, with `subfolders`, in every folder below it: each folder's files in
// name order, then its subfolders in name order. Links to folders are not followed, so a link
// cannot make the walk loop. Like FolderFiles, the whole tree is listed before anything is
// converted.
FolderTree WalkFolderTree(std::string_view folder, bool subfolders);

}  // namespace app
