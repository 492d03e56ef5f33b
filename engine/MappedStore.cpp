#include "engine/MappedStore.h"

#include "engine/FileFunctions.h"
#include "platform/files/TempFile.h"

namespace dropshrink {

Failure MappedStore::CreateFile(const char* prefix, const char* path) {
  if (path != nullptr) {
    const bool created = DeleteFileIfExists(path) &&
                         platform::CreateExclusive(path, file_) == platform::CreateResult::Created;
    if (!created) return Failure::NoTempFolder;
    // The open file keeps its bytes; without a name nothing is left behind, even when killed.
    platform::RemoveFile(path);
    return name_.Assign(path) == 1 ? Failure::None : Failure::OutOfMemory;
  }
  const std::string folder = platform::TempFolder();
  if (folder.empty()) return Failure::NoTempFolder;
  // The name is only needed to create the file exclusively.
  platform::TempFile created = platform::CreateNamelessTempFile(folder, prefix);
  switch (created.result) {
    case platform::TempFileResult::Created:
      file_ = created.file;
      return name_.Assign(created.path.c_str()) == 1 ? Failure::None : Failure::OutOfMemory;
    case platform::TempFileResult::NoSpace:
      return Failure::NoSpaceForStore;
    case platform::TempFileResult::Failed:
      break;
  }
  return Failure::NoTempFolder;
}

bool MappedStore::Allocate(std::uint32_t size, const char* prefix, const char* path) {
  Free(false);
  failure_ = Failure::InvalidArgument;
  if (size == 0 || prefix == nullptr || *prefix == '\0') return false;
  failure_ = CreateFile(prefix, path);
  if (failure_ != Failure::None) {
    Free(false);
    return false;
  }
  switch (platform::ReserveSpace(file_, size)) {
    case platform::ReserveResult::Reserved:
      view_ = static_cast<std::uint8_t*>(platform::MapFile(file_, size));
      failure_ = view_ == nullptr ? Failure::OutOfMemory : Failure::None;
      break;
    case platform::ReserveResult::NoSpace:
      failure_ = Failure::NoSpaceForStore;
      break;
    case platform::ReserveResult::Failed:
      failure_ = Failure::NoTempFolder;
      break;
  }
  if (view_ == nullptr) {
    Free(true);
    return false;
  }
  size_ = size;
  return true;
}

bool MappedStore::Free([[maybe_unused]] bool deleteFile) {
  // The file left the folder when it was created: closing it is what frees its space, and its
  // old name may belong to another store by now.
  if (view_ != nullptr) platform::UnmapFile(view_, size_);
  if (file_ != platform::kNoFile) platform::CloseFile(file_);
  view_ = nullptr;
  file_ = platform::kNoFile;
  size_ = 0;
  name_.Free();
  return true;
}

void MappedStore::Flush(void* address, std::uint32_t bytes) const {
  if (view_ == nullptr) return;
  if (bytes == 0) {
    platform::FlushView(view_, size_);
  } else {
    platform::FlushView(address, bytes);
  }
}

}  // namespace dropshrink
