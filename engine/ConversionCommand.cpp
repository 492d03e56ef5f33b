#include "engine/ConversionCommand.h"

#include "engine/FileFunctions.h"
#include "engine/ReaderContract.h"
#include "engine/readers/BmpReader.h"
#include "engine/readers/JpegCodec.h"
#include "engine/readers/PcdReader.h"
#include "engine/readers/PcxReader.h"
#include "engine/readers/PngReader.h"
#include "engine/readers/TiffReader.h"

namespace dropshrink {
namespace {

enum class Attempt { Refused, Decoded, Failed };

// The 768 × 512 base image of a Photo CD file.
constexpr int kPhotoCdResolution = 2;

template <ImageReader Reader, class... OpenArguments>
Attempt TryReader(Reader& reader, const char* path, RasterImage& target,
                  OpenArguments... openArguments) {
  if (reader.Open(path, target, openArguments..., nullptr) != 1) {
    reader.Close();
    return Attempt::Refused;
  }
  if (reader.Read() == 1) return Attempt::Decoded;
  reader.Close();
  return Attempt::Failed;
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

ConversionResult ReadImageFile(const char* path, RasterImage& target) {
  JpegCodec jpeg;
  BmpReader bmp;
  TiffReader tiff;
  PngReader png;
  PcxReader pcx;
  PcdReader pcd;
  if (!FileExists(path)) return kSourceMissing;

  // The first reader whose Open accepts the file owns it: a failed Read ends
  // the chain, even if a later reader could have read the file.
  Attempt attempt = TryReader(jpeg, path, target);
  if (attempt == Attempt::Refused) attempt = TryReader(bmp, path, target);
  if (attempt == Attempt::Refused) attempt = TryReader(tiff, path, target);
  if (attempt == Attempt::Refused) attempt = TryReader(png, path, target);
  if (attempt == Attempt::Refused) attempt = TryReader(pcx, path, target);
  if (attempt == Attempt::Refused) attempt = TryReader(pcd, path, target, kPhotoCdResolution);
  return attempt == Attempt::Decoded ? kSucceeded : kSourceUnreadable;
}

ConversionResult ConvertToJpeg(const char* sourcePath, const char* destinationPath,
                               std::int32_t grey, std::int32_t quality, std::int32_t optimizeCoding,
                               std::int32_t smoothing) {
  JpegCodec codec;
  RasterImage image;
  ConversionResult result = kInvalidArgument;
  if (sourcePath != nullptr && destinationPath != nullptr && quality >= 1 && quality <= 100 &&
      smoothing >= 0 && smoothing <= 100) {
    result = ReadImageFile(sourcePath, image);
    if (result == kSucceeded) {
      const int colour = grey == 1 ? 0 : 1;
      result = codec.Write(destinationPath, image, quality, colour, optimizeCoding, smoothing,
                           nullptr) == 1
                   ? kSucceeded
                   : kWriteFailed;
    }
  }
  codec.Close();
  image.Release();
  return result;
}

}  // namespace dropshrink
