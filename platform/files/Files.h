#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// File services the engine needs from the operating system, under our own names.
namespace platform {

inline constexpr char kPathSeparator = '/';

// The folder for temporary files, ending in a separator: $TMPDIR when it names a
// folder, else /tmp. Empty when neither exists.
std::string TempFolder();

// True when something is at the literal `path`, after following links: a file, a folder or a
// special file. An empty path finds nothing.
bool PathExists(const char* path);

// True when `path`, after following links, is a regular file. Looks without opening, since
// opening a FIFO blocks until a writer comes.
bool IsRegularFile(const char* path);

enum class ReadOpenResult { Opened, Missing, NotRegularFile, Unreadable };

// Opens `path` for reading when it is a regular file, without ever waiting: what is checked is
// the file opened, so a FIFO or device put in its place after an earlier look is refused too.
ReadOpenResult OpenRegularFile(const char* path, std::FILE*& file);

// True when `path` (without a trailing separator) is an existing folder.
bool IsFolder(const char* path);

bool RemoveFile(const char* path);

enum class CreateResult { Created, NameTaken, Failed };

// An open file of the platform; -1 when none.
using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

// Creates `path` for reading and writing only when no file of that name exists.
CreateResult CreateExclusive(const char* path, FileHandle& file);

enum class ReserveResult { Reserved, NoSpace, Failed };

// Reserves `size` bytes of disk for the file, so that a full disk fails here
// rather than when a mapped page is first written.
ReserveResult ReserveSpace(FileHandle file, std::uint64_t size);

// Maps the first `size` bytes of the file for reading and writing, shared with
// the file. Null on failure.
void* MapFile(FileHandle file, std::size_t size);
void UnmapFile(void* view, std::size_t size);

// Gives a mapped range its pages in one call, before it is written, instead of one fault for
// every page as it is first touched. Only advice: where the system cannot, the faults happen.
void PrepareForWriting(void* address, std::size_t bytes);

// Starts writing the mapped range back to its file without waiting.
void FlushView(void* address, std::size_t bytes);

void CloseFile(FileHandle file);

}  // namespace platform
