#include "platform/files/FolderCreation.h"

#include <errno.h>
#include <sys/stat.h>

#include <system_error>

namespace platform {

FolderMade MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return {true, {}};
  const int error = errno;
  struct stat info;
  if (error == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {true, {}};
  // error_code's message is safe to ask for from several threads at once; strerror is not.
  return {false, std::error_code(error, std::generic_category()).message()};
}

}  // namespace platform
