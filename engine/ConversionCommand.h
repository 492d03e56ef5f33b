#pragma once

#include <cstdint>

#include "engine/Failure.h"
#include "engine/JpegSettings.h"
#include "engine/PictureFacts.h"
#include "engine/RasterImage.h"

namespace dropshrink {

enum ConversionResult : std::int32_t {
  kSucceeded = 1,
  kSourceMissing = -1,
  kSourceUnreadable = -3,
  kWriteFailed = -4,
  kInvalidArgument = -7,
};

// "Succeeded", "SourceMissing", ...; "Unknown" for any other value.
const char* ConversionResultName(std::int32_t result);

// Reads one picture of any supported format and writes it as a baseline JFIF
// file, turned upright as the source's orientation says and with its colour
// profile. grey exactly 1 writes one component; quality 1 to 100; smoothing 0
// to 100. Every temporary file of the call is gone when it returns.
ConversionResult ConvertToJpeg(const char* sourcePath, const char* destinationPath,
                               std::int32_t grey, std::int32_t quality, std::int32_t optimizeCoding,
                               std::int32_t smoothing);

struct ConversionOutcome {
  ConversionResult result = kSucceeded;
  // Failure::None when the result is kSucceeded.
  FailureReason reason;
};

// ConvertToJpeg with its settings named, also telling why it failed.
ConversionOutcome ConvertToJpegWithReason(const char* sourcePath, const char* destinationPath,
                                          const JpegSettings& settings);

// Offers the file to every reader in turn; the first whose Open accepts it
// decodes it. kSucceeded, kSourceMissing or kSourceUnreadable.
ConversionResult ReadImageFile(const char* path, RasterImage& target);
ConversionOutcome ReadImageFileWithReason(const char* path, RasterImage& target);
// The same, also telling how the picture is to be shown.
ConversionOutcome ReadImageFileWithReason(const char* path, RasterImage& target,
                                          PictureFacts& facts);

// Conversions on one thread reuse their large buffers from picture to picture; this gives back
// what the calling thread keeps, for the end of a batch.
void ReleaseReusableMemory();

}  // namespace dropshrink
