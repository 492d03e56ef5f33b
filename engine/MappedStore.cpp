#include "engine/MappedStore.h"

#include "engine/FileFunctions.h"

namespace dropshrink {
namespace {

// Another process may take each name between the test and the creation; give
// up only after this many lost races in a row.
constexpr int kCreateAttempts = 1000;

}  // namespace

bool MappedStore::CreateFile(const char* prefix, const char* path) {
  if (path != nullptr) {
    return name_.Assign(path) == 1 && DeleteFileIfExists(path) &&
           platform::CreateExclusive(path, file_) == platform::CreateResult::Created;
  }
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    if (!MakeTempFileName(name_, prefix, nullptr)) return false;
    switch (platform::CreateExclusive(name_.Text(), file_)) {
      case platform::CreateResult::Created:
        return true;
      case platform::CreateResult::NameTaken:
        continue;
      case platform::CreateResult::Failed:
        return false;
    }
  }
  return false;
}

bool MappedStore::Allocate(std::uint32_t size, const char* prefix, const char* path) {
  Free(false);
  failure_ = Failure::InvalidArgument;
  if (size == 0) {
    Free(true);
    return false;
  }
  if (prefix == nullptr || *prefix == '\0') return false;
  if (!CreateFile(prefix, path)) {
    failure_ = Failure::NoTempFolder;
    // Nothing was created, so nothing of ours is deleted.
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

bool MappedStore::Free(bool deleteFile) {
  if (view_ != nullptr) platform::UnmapFile(view_, size_);
  if (file_ != platform::kNoFile) platform::CloseFile(file_);
  if (deleteFile && !name_.Empty()) DeleteFileIfExists(name_);
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
