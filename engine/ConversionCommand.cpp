#include "engine/ConversionCommand.h"

#include <utility>

#include "engine/FileFunctions.h"
#include "engine/ReaderContract.h"
#include "engine/readers/BmpReader.h"
#include "engine/readers/JpegCodec.h"
#include "engine/readers/PcdReader.h"
#include "engine/readers/PcxReader.h"
#include "engine/readers/PngReader.h"
#include "engine/readers/TiffReader.h"
#include "platform/files/Files.h"
#include "platform/files/LargeMemory.h"

namespace dropshrink {
namespace {

enum class Attempt { Refused, Decoded, Failed };

// The 768 × 512 base image of a Photo CD file.
constexpr int kPhotoCdResolution = 2;

// Where the chain stands: whether a reader took the file, and the reason to give when the file
// ends unread.
struct Chain {
  Attempt attempt = Attempt::Refused;
  FailureReason reason{Failure::NotThisFormat, {}, {}};
  // The decoding reader's, once one has decoded.
  PictureFacts facts;
};

template <ImageReader Reader>
FailureReason ReasonOf(const Reader& reader) {
  return {reader.LastFailure(), Reader::kFormatName, {}};
}

template <ImageReader Reader, class... OpenArguments>
void TryReader(Chain& chain, Reader& reader, const char* path, RasterImage& target,
               OpenArguments... openArguments) {
  if (chain.attempt != Attempt::Refused) return;
  if (reader.Open(path, target, openArguments..., nullptr) != 1) {
    // A reader that knew the file but refused its variant says more than the readers after it.
    const FailureReason refusal = ReasonOf(reader);
    if (chain.reason.failure == Failure::NotThisFormat) chain.reason = refusal;
    reader.Close();
    return;
  }
  if (reader.Read() == 1) {
    chain.attempt = Attempt::Decoded;
    chain.reason = {};
    chain.facts = reader.Facts();
    return;
  }
  chain.attempt = Attempt::Failed;
  chain.reason = ReasonOf(reader);
  reader.Close();
}

// The pixel store's folder names the place when the store could not be made.
FailureReason WithPlace(FailureReason reason) {
  if (reason.failure == Failure::NoSpaceForStore || reason.failure == Failure::NoTempFolder) {
    reason.place = platform::TempFolder();
  }
  return reason;
}

}  // namespace

const char* ConversionResultName(std::int32_t result) {
  switch (result) {
    case kSucceeded:
      return "Succeeded";
    case kSourceMissing:
      return "SourceMissing";
    case kSourceUnreadable:
      return "SourceUnreadable";
    case kWriteFailed:
      return "WriteFailed";
    case kInvalidArgument:
      return "InvalidArgument";
    default:
      return "Unknown";
  }
}

ConversionOutcome ReadImageFileWithReason(const char* path, RasterImage& target) {
  PictureFacts facts;
  return ReadImageFileWithReason(path, target, facts);
}

ConversionOutcome ReadImageFileWithReason(const char* path, RasterImage& target,
                                          PictureFacts& facts) {
  JpegCodec jpeg;
  BmpReader bmp;
  TiffReader tiff;
  PngReader png;
  PcxReader pcx;
  PcdReader pcd;
  if (!FileExists(path)) return {kSourceMissing, {Failure::SourceMissing, {}, {}}};
  // A FIFO or a device would block a reader's open or never end; a folder reads as nothing.
  if (!platform::IsRegularFile(path)) {
    return {kSourceUnreadable, {Failure::NotRegularFile, {}, {}}};
  }

  // The first reader whose Open accepts the file owns it: a failed Read ends
  // the chain, even if a later reader could have read the file.
  Chain chain;
  TryReader(chain, jpeg, path, target);
  TryReader(chain, bmp, path, target);
  TryReader(chain, tiff, path, target);
  TryReader(chain, png, path, target);
  TryReader(chain, pcx, path, target);
  TryReader(chain, pcd, path, target, kPhotoCdResolution);
  if (chain.attempt == Attempt::Decoded) {
    facts = std::move(chain.facts);
    return {kSucceeded, {}};
  }
  if (chain.reason.failure == Failure::None) chain.reason.failure = Failure::Corrupt;
  return {kSourceUnreadable, WithPlace(chain.reason)};
}

ConversionResult ReadImageFile(const char* path, RasterImage& target) {
  return ReadImageFileWithReason(path, target).result;
}

ConversionOutcome ConvertToJpegWithReason(const char* sourcePath, const char* destinationPath,
                                          const JpegSettings& settings) {
  if (sourcePath == nullptr || destinationPath == nullptr || settings.quality < 1 ||
      settings.quality > 100 || settings.smoothing < 0 || settings.smoothing > 100) {
    return {kInvalidArgument, {Failure::InvalidArgument, {}, {}}};
  }
  RasterImage image;
  PictureFacts facts;
  ConversionOutcome outcome = ReadImageFileWithReason(sourcePath, image, facts);
  if (outcome.result != kSucceeded) return outcome;

  JpegCodec codec;
  if (codec.Write(destinationPath, image, settings.quality, settings.grey ? 0 : 1,
                  settings.optimizeCoding ? 1 : 0, settings.smoothing, facts, nullptr) == 1) {
    return {kSucceeded, {}};
  }
  return {kWriteFailed, {codec.LastFailure(), {}, destinationPath}};
}

void ReleaseReusableMemory() {
  platform::ReleaseSpareMemory();
}

ConversionResult ConvertToJpeg(const char* sourcePath, const char* destinationPath,
                               std::int32_t grey, std::int32_t quality, std::int32_t optimizeCoding,
                               std::int32_t smoothing) {
  return ConvertToJpegWithReason(sourcePath, destinationPath,
                                 {.grey = grey == 1,
                                  .quality = quality,
                                  .optimizeCoding = optimizeCoding != 0,
                                  .smoothing = smoothing})
      .result;
}

}  // namespace dropshrink
