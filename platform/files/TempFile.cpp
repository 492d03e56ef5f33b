#include "platform/files/TempFile.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files/PartialFiles.h"

namespace platform {

TempFile CreateTempFile(std::string_view folder, std::string_view prefix, TempFileAccess access) {
  std::string stem(folder);
  if (!stem.empty() && stem.back() != kPathSeparator) stem += kPathSeparator;
  stem += prefix;
  const mode_t mode = access == TempFileAccess::OwnerOnly ? 0600 : 0666;
  for (long n = 0; n <= kLastTempNumber; ++n) {
    std::string path = stem + std::to_string(n) + ".tmp";
    const FileHandle file = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (file != kNoFile) return {TempFileResult::Created, file, std::move(path)};
    switch (errno) {
      case EEXIST:
        continue;
      case ENOSPC:
      case EDQUOT:
        return {TempFileResult::NoSpace, kNoFile, {}};
      default:
        return {TempFileResult::Failed, kNoFile, {}};
    }
  }
  return {TempFileResult::Failed, kNoFile, {}};
}

TempFile CreateNamelessTempFile(std::string_view folder, std::string_view prefix) {
  // Under the lock, so an interrupted program never ends between the creation and the removal.
  const PartialFilesLock partials;
  TempFile created = CreateTempFile(folder, prefix, TempFileAccess::OwnerOnly);
  if (created.result == TempFileResult::Created) unlink(created.path.c_str());
  return created;
}

}  // namespace platform
