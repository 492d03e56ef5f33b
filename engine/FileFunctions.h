#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/TextBuffer.h"

namespace dropshrink {

// Anything at the literal path, links followed: a file, a folder or a special file.
bool FileExists(const char* path);
bool FileExists(const TextBuffer& path);

// True when the path, with or without a trailing separator, is a folder.
bool IsDirectory(const TextBuffer& path);

// True when afterwards no file of that name exists.
bool DeleteFileIfExists(const char* path);
bool DeleteFileIfExists(const TextBuffer& path);

// Length of the stream in bytes; leaves the stream at offset 0.
std::uint32_t FileLength(std::FILE* stream);

int AddTrailingSeparator(TextBuffer& path);
int RemoveTrailingSeparator(TextBuffer& path);

// The first name folder + prefix + n + ".tmp" (n = 0, 1, 2 ...) that does not
// exist yet; without a folder, in the temporary folder. Only chooses the name,
// which another process may take before it is used: a file that must not be
// shared is made with platform::CreateTempFile instead.
bool MakeTempFileName(TextBuffer& out, const char* prefix, const char* folder);

}  // namespace dropshrink
