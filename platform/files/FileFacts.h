#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The size of the regular file at `path`, after following links; empty optional for anything
// else or nothing.
std::optional<std::uint64_t> RegularFileSize(const char* path);

// True when both names lead to one file that exists, however the names are spelt.
bool SameFile(const char* a, const char* b);

}  // namespace platform
