#pragma once

#include <string>
#include <string_view>

#include "platform/files/Files.h"

namespace platform {

// The highest n a temporary name prefix<n>.tmp takes.
inline constexpr long kLastTempNumber = 2'047'483'647;

enum class TempFileResult { Created, NoSpace, Failed };

// Who may read the new file: its owner only, or whoever a new file of the user's may be read by.
enum class TempFileAccess { OwnerOnly, AsNewFile };

struct TempFile {
  TempFileResult result = TempFileResult::Failed;
  // Open for reading and writing; the caller owns it once created.
  FileHandle file = kNoFile;
  std::string path;
};

// Creates folder/prefix<n>.tmp for the first n (0, 1, 2 ...) whose name no file holds. The name is
// taken by the creation itself, so two processes never share a file: one that loses a name to
// another moves on to the next number.
TempFile CreateTempFile(std::string_view folder, std::string_view prefix, TempFileAccess access);

// CreateTempFile with the name removed at once: the file lives on through its handle only, so not
// even a killed process leaves it behind. The name in the result is the one it was created under.
TempFile CreateNamelessTempFile(std::string_view folder, std::string_view prefix);

}  // namespace platform
