#pragma once

#include <cstdint>

#include "engine/Failure.h"
#include "engine/TextBuffer.h"
#include "platform/files/Files.h"

namespace dropshrink {

// A temporary file mapped into memory: where pixels and large scratch buffers
// live instead of the heap. The file is removed from its folder as soon as it is
// created and lives on only through the open handle, so a process that is
// killed leaves nothing behind.
class MappedStore {
 public:
  MappedStore() = default;
  MappedStore(const MappedStore&) = delete;
  MappedStore& operator=(const MappedStore&) = delete;
  ~MappedStore() { Free(false); }

  // Creates and maps a file of `size` bytes, all zero. Without a path the file
  // is prefix + n + ".tmp" in the temporary folder, created exclusively; the
  // name is free again once the file is created.
  bool Allocate(std::uint32_t size, const char* prefix, const char* path);
  // Unmaps and closes, which frees the file's space. deleteFile is kept for
  // the owners' calls; the file has no name left to delete.
  bool Free(bool deleteFile);
  // Why the last Allocate failed; None after a success.
  Failure LastFailure() const { return failure_; }

  std::uint8_t* Data() const { return view_; }
  std::uint32_t Size() const { return size_; }
  // The name the file was created under, no longer in the folder.
  const TextBuffer& FileName() const { return name_; }

  // Starts writing back `bytes` from `address`; 0 bytes means the whole view.
  void Flush(void* address, std::uint32_t bytes) const;

 private:
  // Creates the file and records its name; None when it was created.
  Failure CreateFile(const char* prefix, const char* path);

  platform::FileHandle file_ = platform::kNoFile;
  std::uint8_t* view_ = nullptr;
  TextBuffer name_;
  std::uint32_t size_ = 0;
  Failure failure_ = Failure::None;
};

}  // namespace dropshrink
