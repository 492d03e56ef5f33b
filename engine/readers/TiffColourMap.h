#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/Failure.h"

namespace dropshrink {

// Why the first image directory, read as stored, cannot be read as the palette picture it
// declares: its colour map is missing (Corrupt) or runs past the end of the file (Truncated);
// None otherwise. libtiff reads such a file as a grey picture of the palette's indexes without a
// word, so the reader must look for itself.
// `bigEndian` and `big` are what the file's header says: its byte order, and a big (64-bit) file.
Failure PaletteColoursFailure(std::FILE* file, std::uint64_t length, bool bigEndian, bool big);

}  // namespace dropshrink
