#include "platform/files/Files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {
namespace {

// The pages a range lies on: madvise and msync want a page-aligned start, so the range is widened
// down to its first page.
struct WholePages {
  void* start;
  std::size_t bytes;
};

WholePages WholePagesOf(void* address, std::size_t bytes) {
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(address);
  const std::uintptr_t aligned = start - start % page;
  return {reinterpret_cast<void*>(aligned), bytes + (start - aligned)};
}

bool IsFolderStat(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string TempFolder() {
  std::string dir;
  if (const char* env = std::getenv("TMPDIR"); env != nullptr && IsFolderStat(env)) {
    dir = env;
  } else if (IsFolderStat("/tmp")) {
    dir = "/tmp";
  } else {
    return {};
  }
  if (dir.back() != kPathSeparator) dir += kPathSeparator;
  return dir;
}

bool PathExists(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  // The literal name only: *, ? and [ are ordinary name characters here, and expanding them can
  // walk the whole file system. stat follows links, so a dangling link finds nothing.
  struct stat info;
  return stat(path, &info) == 0;
}

bool IsRegularFile(const char* path) {
  struct stat info;
  return path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

ReadOpenResult OpenRegularFile(const char* path, std::FILE*& file) {
  file = nullptr;
  // Without O_NONBLOCK, opening a FIFO waits for a writer.
  const FileHandle handle = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (handle == kNoFile) {
    return errno == ENOENT ? ReadOpenResult::Missing : ReadOpenResult::Unreadable;
  }
  struct stat info;
  if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(handle);
    return ReadOpenResult::NotRegularFile;
  }
  const int flags = fcntl(handle, F_GETFL);
  if (flags == -1 || fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) == -1 ||
      (file = fdopen(handle, "rb")) == nullptr) {
    close(handle);
    return ReadOpenResult::Unreadable;
  }
  return ReadOpenResult::Opened;
}

bool IsFolder(const char* path) {
  return path != nullptr && *path != '\0' && IsFolderStat(path);
}

bool RemoveFile(const char* path) {
  return unlink(path) == 0;
}

CreateResult CreateExclusive(const char* path, FileHandle& file) {
  file = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (file != kNoFile) return CreateResult::Created;
  return errno == EEXIST ? CreateResult::NameTaken : CreateResult::Failed;
}

ReserveResult ReserveSpace(FileHandle file, std::uint64_t size) {
  if (size > static_cast<std::uint64_t>(INT64_MAX)) return ReserveResult::NoSpace;
  // posix_fallocate returns the error instead of setting errno.
  switch (posix_fallocate(file, 0, static_cast<off_t>(size))) {
    case 0:
      return ReserveResult::Reserved;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ReserveResult::NoSpace;
    default:
      return ReserveResult::Failed;
  }
}

void* MapFile(FileHandle file, std::size_t size) {
  void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  return view == MAP_FAILED ? nullptr : view;
}

void UnmapFile(void* view, std::size_t size) {
  munmap(view, size);
}

void PrepareForWriting(void* address, std::size_t bytes) {
  const WholePages pages = WholePagesOf(address, bytes);
  madvise(pages.start, pages.bytes, MADV_POPULATE_WRITE);
}

void FlushView(void* address, std::size_t bytes) {
  const WholePages pages = WholePagesOf(address, bytes);
  msync(pages.start, pages.bytes, MS_ASYNC);
}

void CloseFile(FileHandle file) {
  close(file);
}

}  // namespace platform
