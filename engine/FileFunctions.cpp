#include "engine/FileFunctions.h"

#include <string>

#include "platform/files/Files.h"
#include "platform/files/TempFile.h"

namespace dropshrink {
namespace {

constexpr char kSeparator[] = {platform::kPathSeparator, '\0'};

}  // namespace

bool FileExists(const char* path) {
  return platform::PathExists(path);
}

bool FileExists(const TextBuffer& path) {
  return FileExists(path.Text());
}

bool IsDirectory(const TextBuffer& path) {
  TextBuffer copy;
  copy.AssignFrom(path);
  RemoveTrailingSeparator(copy);
  // The root folder is nothing but its separator.
  return platform::IsFolder(copy.Empty() ? path.Text() : copy.Text());
}

bool DeleteFileIfExists(const char* path) {
  return !FileExists(path) || platform::RemoveFile(path);
}

bool DeleteFileIfExists(const TextBuffer& path) {
  return DeleteFileIfExists(path.Text());
}

std::uint32_t FileLength(std::FILE* stream) {
  if (stream == nullptr) return 0;
  std::uint32_t length = 0;
  if (std::fseek(stream, 0, SEEK_END) == 0) {
    const long end = std::ftell(stream);
    if (end > 0 && static_cast<unsigned long>(end) <= UINT32_MAX) {
      length = static_cast<std::uint32_t>(end);
    }
  }
  std::fseek(stream, 0, SEEK_SET);
  return length;
}

int AddTrailingSeparator(TextBuffer& path) {
  TextBuffer last;
  if (path.Right(last, 1) == 0 || last.Equals(kSeparator, 1) == 0) path.Append(kSeparator);
  return 1;
}

int RemoveTrailingSeparator(TextBuffer& path) {
  if (path.Empty()) return 0;
  TextBuffer last;
  if (path.Right(last, 1) == 1 && last.Equals(kSeparator, 1) == 1) {
    TextBuffer rest;
    path.Left(rest, path.Length() - 1);
    if (rest.Empty()) {
      path.Free();
    } else {
      path.AssignFrom(rest);
    }
  }
  return 1;
}

bool MakeTempFileName(TextBuffer& out, const char* prefix, const char* folder) {
  TextBuffer dir;
  if (folder != nullptr && *folder != '\0') {
    dir.Assign(folder);
  } else {
    dir.Assign(platform::TempFolder().c_str());
  }
  if (dir.Empty() || !IsDirectory(dir)) return false;
  AddTrailingSeparator(dir);

  for (long n = 0; n <= platform::kLastTempNumber; ++n) {
    TextBuffer candidate;
    if (candidate.AssignFrom(dir) == 0 || candidate.Append(prefix) == 0 ||
        candidate.AppendNumber(n) == 0 || candidate.Append(".tmp") == 0) {
      return false;
    }
    if (!FileExists(candidate)) return out.AssignFrom(candidate) == 1;
  }
  return false;
}

}  // namespace dropshrink
